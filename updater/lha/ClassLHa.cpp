#include "updater/lha/ClassLHa.h"

#include "platform/lha/binding/UnlhaBinding.h"

#include <QByteArray>
#include <QDir>
#include <limits>

namespace {

constexpr int kOutputSize = 1024;
constexpr int kNameSize = 260;

// Library calls raise the class's own error, whatever the binding throws.
template <typename Call> auto bound(Call&& call)
{
    try {
        return call();
    } catch (const UnlhaBindingError& e) {
        throw LhaError(e.what());
    }
}

bool endsWithSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/'));
}

} // namespace

ClassLHa::ClassLHa()
{
    resetNames();
}

void ClassLHa::resetNames()
{
    names_ = QStringList{QString()};
    count_ = 0;
}

void ClassLHa::appendName(const QString& name)
{
    if (count_ == std::numeric_limits<qint16>::max())
        throw LhaError("Too many names for the list (overflow)");
    if (count_ == 0)
        names_[0] = name;
    else
        names_.append(name);
    ++count_;
}

int ClassLHa::Unlha(const QString& strFlag, const QString& strPath, const QString& strFolder,
                    const QString& strWild)
{
    QString folder = strFolder;
    if (!endsWithSeparator(folder))
        folder += QDir::separator();
    resetNames();

    const QString command = QStringLiteral("e ") + strFlag + QStringLiteral(" \"") + strPath +
                            QStringLiteral("\" \"") + folder + QStringLiteral("\" ") + strWild;
    QByteArray output(kOutputSize, '\0');
    const int result = bound(
        [&] { return UnlhaBinding::unlha(nullptr, command.toLocal8Bit(), output.data(), kOutputSize); });
    if (result != 0)
        return 0;

    const qsizetype nul = output.indexOf('\0');
    const QString text = QString::fromLocal8Bit(output.left(nul < 0 ? output.size() : nul));
    // Only lines closed by a line feed count; a carriage return stays in its line.
    qsizetype start = 0;
    for (qsizetype lf = text.indexOf(QLatin1Char('\n')); lf >= 0;
         lf = text.indexOf(QLatin1Char('\n'), start)) {
        const QString line = text.mid(start, lf - start);
        start = lf + 1;
        if (line.left(6).compare(QLatin1String("Melted"), Qt::CaseInsensitive) != 0)
            continue;
        QString name = line.mid(6);
        while (name.startsWith(QLatin1Char(' ')))
            name.remove(0, 1);
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);
        appendName(name);
    }
    return count_;
}

int ClassLHa::UnlhaList(const QString& strPath, const QString& strWild)
{
    resetNames();
    UNLHA_HARC handle = bound([&] { return UnlhaBinding::openArchive(nullptr, strPath.toLocal8Bit(), 1); });
    if (!handle)
        return 0;
    // The handle is closed on every way out, the raised errors included.
    struct Closer
    {
        UNLHA_HARC handle;
        ~Closer()
        {
            try {
                UnlhaBinding::closeArchive(handle);
            } catch (...) {
            }
        }
    } closer{handle};

    int r = bound([&] { return UnlhaBinding::findFirst(handle, strWild.toLocal8Bit(), nullptr); });
    while (r == 0) {
        QByteArray buffer(kNameSize, '\0');
        const int got = bound([&] { return UnlhaBinding::getFileName(handle, buffer.data(), kNameSize); });
        if (got == ERROR_LONG_FILE_NAME)
            throw LhaError("A member name does not fit the name buffer");
        if (got == 0) {
            const qsizetype nul = buffer.indexOf('\0');
            if (nul < 0)
                throw LhaError("A member name fills the whole name buffer (invalid argument)");
            appendName(QString::fromLocal8Bit(buffer.left(nul)));
        }
        r = bound([&] { return UnlhaBinding::findNext(handle, nullptr); });
    }
    return count_;
}

QString ClassLHa::FileName(int nIndex) const
{
    if (nIndex < 0 || nIndex >= names_.size())
        throw LhaError("Subscript out of range");
    return names_.at(nIndex);
}

int ClassLHa::Files() const
{
    return count_;
}

int ClassLHa::Version() const
{
    return bound([] { return int(UnlhaBinding::getVersion()); });
}

QVariant ClassLHa::CheckArchiveRapid(const QString& strPath) const
{
    return bound(
        [&] { return QVariant(UnlhaBinding::checkArchive(strPath.toLocal8Bit(), CHECKARCHIVE_RAPID)); });
}

QVariant ClassLHa::CheckArchive(const QString& strPath) const
{
    return bound(
        [&] { return QVariant(UnlhaBinding::checkArchive(strPath.toLocal8Bit(), CHECKARCHIVE_BASIC)); });
}

QVariant ClassLHa::CheckArchiveFull(const QString& strPath) const
{
    return bound(
        [&] { return QVariant(UnlhaBinding::checkArchive(strPath.toLocal8Bit(), CHECKARCHIVE_FULLCRC)); });
}
