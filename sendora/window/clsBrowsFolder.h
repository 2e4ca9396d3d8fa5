#pragma once

#include <QString>

class QWidget;

// Asks for a local folder. Callers set the properties, call mShowDialog once
// and read pPathName (and pDisplayName).
//
// pInitDir 0 starts at the user's home folder; pUseDir with a pUseInitDir
// starts (and roots) the choice there; pFlags is kept for callers only.
class clsBrowsFolder
{
public:
    QString pPathName() const { return pathName_; }
    QString pDisplayName() const { return displayName_; }

    // False when nothing was chosen.
    bool mShowDialog();

    void setPFlags(quint32 enumNewFlags) { flags_ = enumNewFlags; }
    quint32 pFlags() const { return flags_; }
    void setPDialogTitle(const QString& strNewTitle) { title_ = strNewTitle; }
    QString pDialogTitle() const { return title_; }
    void setPInitDir(quint32 enumNewRoot) { initDir_ = enumNewRoot; }
    quint32 pInitDir() const { return initDir_; }
    void setPUseDir(bool booUse) { useDir_ = booUse; }
    bool pUseDir() const { return useDir_; }
    void setPUseInitDir(const QString& strNewRoot) { useInitDir_ = strNewRoot; }
    QString pUseInitDir() const { return useInitDir_; }
    void setPTarget(QWidget* lngNewWindow) { target_ = lngNewWindow; }
    QWidget* pTarget() const { return target_; }

private:
    QWidget* target_ = nullptr;
    quint32 flags_ = 0;
    QString title_;
    QString useInitDir_;
    quint32 initDir_ = 0;
    bool useDir_ = false;
    QString pathName_;
    QString displayName_;
};
