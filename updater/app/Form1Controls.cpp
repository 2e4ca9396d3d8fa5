#include "updater/app/Form1Controls.h"

#include "platform/ui/Twips.h"
#include "updater/app/UpdaterConfig.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

namespace {

QFont captionFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(9.75);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, double l, double t, double w, double h)
{
    auto* widget = Twips::make<QLabel>(parent, QLatin1String(name), l, t, w, h);
    widget->setText(text);
    widget->setFont(captionFont());
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return widget;
}

QLineEdit* versionBox(QWidget* parent, const char* name, double l, double t, double w, double h)
{
    auto* box = Twips::make<QLineEdit>(parent, QLatin1String(name), l, t, w, h);
    box->setFont(captionFont());
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
    return box;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& title, double l, double t, double w,
                 double h)
{
    auto* box = Twips::make<QGroupBox>(parent, QLatin1String(name), l, t, w, h);
    box->setTitle(title);
    box->setFont(captionFont());
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, double l, double t, double w,
                    double h)
{
    auto* widget = Twips::make<QPushButton>(parent, QLatin1String(name), l, t, w, h);
    widget->setText(text);
    widget->setFont(captionFont());
    return widget;
}

} // namespace

Form1Controls Form1Controls::build(QWidget* form, const UpdaterConfig& config)
{
    Form1Controls c;
    form->setFixedSize(Twips::toPixels(config.clientWidth), Twips::toPixels(config.clientHeight));

    c.Image2 = Twips::make<QLabel>(form, QStringLiteral("Image2"), 240, 240, 480, 480);
    const int iconSide = Twips::toPixels(480);
    c.Image2->setPixmap(form->style()->standardIcon(QStyle::SP_BrowserReload).pixmap(iconSide, iconSide));
    c.Label1 =
        label(form, "Label1", QStringLiteral("最新版にアップデートを行います。"), 1080, 240, 5535, 255);
    c.Label2 =
        label(form, "Label2", QStringLiteral("インタネットに接続した状態でアップデート開始してください。"),
              1080, 600, 5535, 375);

    c.Frame1 = frame(form, "Frame1", QStringLiteral("バージョン"), 240, 1080, 6735, 1335);
    c.Label3 = label(c.Frame1, "Label3", QStringLiteral("現在のバージョン  :"), 1080, 360, 1695, 375);
    c.Text4 = versionBox(c.Frame1, "Text4", 2880, 360, 1815, 405);
    c.Label4 = label(c.Frame1, "Label4", QStringLiteral("最新のバージョン  :"), 1080, 840, 1695, 375);
    c.Text2 = versionBox(c.Frame1, "Text2", 2880, 840, 1815, 375);

    c.Frame2 = frame(form, "Frame2", QStringLiteral("処理状況"), 240, 2520, 6735, 1215);
    c.Label5 = label(c.Frame2, "Label5", QStringLiteral("ダウンロード進行状況"), 240, 360, 2295, 255);
    c.ProgressBar1 = Twips::make<QProgressBar>(c.Frame2, QStringLiteral("ProgressBar1"), 240, 600, 6255, 255);
    c.ProgressBar1->setRange(0, 100);
    c.ProgressBar1->setValue(0);
    c.ProgressBar1->setTextVisible(false);

    c.Frame3 = frame(form, "Frame3", QStringLiteral("バージョンアップ更新履歴"), config.noticeFrameLeft,
                     config.noticeFrameTop, 6735, 2415);
    c.Text5 = Twips::make<QPlainTextEdit>(c.Frame3, QStringLiteral("Text5"), 120, 240, 6495, 2055);
    c.Text5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.Text5->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    c.Command3 =
        button(form, "Command3", QStringLiteral("バージョン確認"), 2280, config.buttonTop, 1455, 375);
    c.Command1 =
        button(form, "Command1", QStringLiteral("アップデート開始"), 3840, config.buttonTop, 1575, 375);
    c.Command1->setEnabled(false);
    c.Command2 = button(form, "Command2", QStringLiteral("キャンセル"), 5520, config.buttonTop, 1455, 375);
    return c;
}
