#include "tests/updater/app/TestArchive.h"

#include "platform/lha/binding/UnlhaBinding.h"
#include "platform/text/LegacyText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace TestArchive {

QByteArray make(const QList<Member>& members)
{
    QTemporaryDir dir;
    const QString archivePath = dir.filePath(QStringLiteral("update.lzh"));
    // Stored members (-jm0), names relative to the folder given after the archive.
    QString command = QStringLiteral("a -jm0 \"%1\" \"%2/\"").arg(archivePath, dir.path());
    for (const auto& [name, bytes] : members) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        command += QStringLiteral(" \"%1\"").arg(name);
    }
    char output[1024] = {};
    try {
        if (UnlhaBinding::unlha(nullptr, LegacyText::encodeLossy(command), output, sizeof output) != 0)
            return {};
    } catch (const UnlhaBindingError&) {
        return {};
    }
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly))
        return {};
    return archive.readAll();
}

QByteArray ofSize(qint64 size, const QList<Member>& members)
{
    // Random bytes do not compress, so the archive grows byte for byte with the filler.
    auto filler = [](qint64 bytes) {
        QList<quint32> words((qMax<qint64>(bytes, 1) + 3) / 4);
        QRandomGenerator(7).fillRange(words.data(), words.size());
        return QByteArray(reinterpret_cast<const char*>(words.constData()), qMax<qint64>(bytes, 1));
    };
    qint64 fillerSize = 512;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QList<Member> all = members;
        all.append({QStringLiteral("filler.bin"), filler(fillerSize)});
        const QByteArray archive = make(all);
        if (archive.isEmpty())
            return {};
        if (archive.size() == size)
            return archive;
        fillerSize += size - archive.size();
        if (fillerSize < 1)
            return {};
    }
    return {};
}

} // namespace TestArchive
