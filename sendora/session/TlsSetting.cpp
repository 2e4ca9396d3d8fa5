#include "sendora/session/TlsSetting.h"

#include "platform/shell/SettingsStore.h"
#include "sendora/session/SendoraSettings.h"

namespace TlsSetting {

FtpTlsPolicy parse(const QString& value)
{
    const QString word = value.trimmed().toLower();
    if (word.isEmpty() || word == QLatin1String("offered"))
        return FtpTlsPolicy::WhenOffered;
    if (word == QLatin1String("never"))
        return FtpTlsPolicy::Never;
    return FtpTlsPolicy::Required;
}

FtpTlsPolicy read()
{
    return parse(SettingsStore::read(SendoraSettings::kApplication, SendoraSettings::kSection, kKey,
                                     QStringLiteral("offered")));
}

} // namespace TlsSetting
