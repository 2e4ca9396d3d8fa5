#pragma once

#include <QFileDevice>
#include <QString>

// Files that hold secrets (the FTP password, the pass texts) are for their
// owner's eyes only, and so is the folder of the settings that hold them.
// Where the platform has no such permissions these do nothing harmful.
namespace OwnerOnly {

constexpr QFileDevice::Permissions kFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Creates the folder (its parents as usual) or tightens an existing one.
bool makeFolder(const QString& path);
// Creates an empty file or tightens an existing one.
bool makeFile(const QString& path);

} // namespace OwnerOnly
