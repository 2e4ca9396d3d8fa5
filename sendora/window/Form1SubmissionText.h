#pragma once

#include "platform/dialogs/MessageBox.h"

#include <QString>

// What the submission commands say.
namespace SubmissionText {

inline const QString kAskVerific = QStringLiteral("検証データを送信します｡よろしいですか ");
inline const QString kAskPass = QStringLiteral("Passデータを送信します｡よろしいですか ");

inline const QString kVerificDone = QStringLiteral("検証データ送信完了");
inline const QString kVerificFailed = QStringLiteral("検証データ送信失敗");
inline const QString kVerificNotSent = QStringLiteral("検証データを送信できませんでした。");
inline const QString kPassDone = QStringLiteral("Passデータ送信完了");
inline const QString kPassFailed = QStringLiteral("Passデータ送信失敗");
inline const QString kPassNotSent = QStringLiteral("Passデータを送信できませんでした。");

inline void warnNotSent(QWidget* parent, const QString& text)
{
    MessageBox::show(parent, text, QStringLiteral("警告"), MessageBox::Icon::Exclamation);
}

} // namespace SubmissionText
