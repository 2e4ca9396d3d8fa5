#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>

// Raised when the archiver library or one of its functions cannot be found, and
// for the caller errors of FileName (index out of range) and the name list.
class LhaError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Extraction, listing, version and checks through the archiver library, which
// is bound by name at its first use.
class ClassLHa
{
public:
    ClassLHa();

    // Extracts strPath's members matching strWild into strFolder; the number of
    // "Melted" names gathered, 0 when the library reports a failure.
    int Unlha(const QString& strFlag, const QString& strPath, const QString& strFolder,
              const QString& strWild);
    // Lists the members matching strWild; 0 when the archive cannot be opened.
    int UnlhaList(const QString& strPath, const QString& strWild);

    QString FileName(int nIndex) const;
    int Files() const;
    int Version() const;
    QVariant CheckArchiveRapid(const QString& strPath) const;
    QVariant CheckArchive(const QString& strPath) const;
    QVariant CheckArchiveFull(const QString& strPath) const;

private:
    void resetNames();
    void appendName(const QString& name);

    QStringList names_;
    int count_ = 0;
};
