#include "sendora/session/CertificateApproval.h"

#include "sendora/session/clsFtpClient.h"

namespace CertificateApproval {

QString refusalText(const CertificateChange& change)
{
    const QString server =
        change.port == 21 ? change.host : QStringLiteral("%1:%2").arg(change.host).arg(change.port);
    return QStringLiteral("サーバー「%1」の証明書が、前回接続したときのものと違います。\r\n"
                          "第三者がサーバーになりすましているおそれがあるため、"
                          "パスワードを送らずに接続を中止しました。\r\n"
                          "\r\n"
                          "前回の証明書（SHA-256）：\r\n%2\r\n"
                          "今回の証明書（SHA-256）：\r\n%3\r\n"
                          "\r\n"
                          "サーバーの証明書が新しくなったことを確かめた管理者だけが、"
                          "「はい」を押して管理者コードを入力し、新しい証明書を受け入れることができます。")
        .arg(server, change.pinned, change.presented);
}

bool offer(clsFtpClient& client, const std::function<bool(const QString& text)>& tell,
           const std::function<bool()>& isAdministrator)
{
    const std::optional<CertificateChange> change = client.refusedCertificate();
    if (!change || !tell(refusalText(*change)) || !isAdministrator())
        return false;
    client.acceptCertificate(*change);
    return true;
}

} // namespace CertificateApproval
