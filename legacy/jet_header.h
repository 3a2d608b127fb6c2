#pragma once

#include <QByteArray>
#include <QString>

namespace legacy {

// What the first page of a file says about it. Access files begin with a small header: a magic
// number, the text "Standard Jet DB" (Access 97 to 2003) or "Standard ACE DB" (Access 2007 on), the
// format version, and an obscured block that holds the database password.
enum class JetFileKind {
    Missing,    // no such file
    Unreadable, // the file exists but cannot be read
    NotJet,     // some other kind of file
    Jet3,       // Access 97
    Jet4,       // Access 2000 to 2003
    Ace,        // Access 2007 and later (.accdb)
};

struct JetFileInfo
{
    JetFileKind kind = JetFileKind::Missing;
    bool passwordSet = false; // only looked at for Jet3 and Jet4
};

JetFileInfo inspectJetFile(const QString& path);
// The same from the first bytes of a file (at least the first 128 bytes past 0x18 for the password).
JetFileInfo inspectJetHeader(const QByteArray& firstPage);

// Whether the file starts like an Access 97 to 2003 database: what the start-up looks for before it
// offers the import instead of calling the file damaged.
bool hasJetSignature(const QString& path);

} // namespace legacy
