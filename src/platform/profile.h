#pragma once
// Reading and writing one key of an INI file. Sections and keys match without
// regard to case; everything else in the file is kept as it was.
#include <QString>

// The value of key in section, or def when the file, section or key is missing.
QString Profile_Read(const QString& section, const QString& key, const QString& def,
                     const QString& file);
// Sets key in section (both created when missing). False when the file could not be written.
bool Profile_Write(const QString& section, const QString& key, const QString& value,
                   const QString& file);
