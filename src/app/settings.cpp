#include "app/settings.h"
#include "midi/midi_port.h"
#include "platform/profile.h"

QString INI_File;
bool Settings_Loaded = false;

QString INI_Read(const QString& section, const QString& key, const QString& def) {
    if (INI_File.isEmpty()) return StripNull(def);
    return StripNull(Profile_Read(section, key, def, INI_File));
}

void INI_Write(const QString& section, const QString& key, QString value) {
    value = value.trimmed();
    if (INI_File.isEmpty()) return;
    Profile_Write(section, key, value, INI_File);
}

void Load_Settings() {
    Settings_Loaded = true;
}

void Save_Settings() {
    // A start-up refused before the settings were read must not overwrite
    // the stored file with values it never read.
    if (!Settings_Loaded) return;
}
