#pragma once
// The settings file: one INI file in the program's folder.
#include <QString>

extern QString INI_File;

// Values come back whole: device names and paths here are longer than the
// classic 31-character buffer, and cutting them would lose them at each start.
QString INI_Read(const QString& section, const QString& key, const QString& def);
void INI_Write(const QString& section, const QString& key, QString value);

// Key writes made while one is alive read the file once and replace it once,
// at its end; a file that cannot be replaced is reported then.
class INI_Batch {
  public:
    INI_Batch();
    ~INI_Batch();
    INI_Batch(const INI_Batch&) = delete;
    INI_Batch& operator=(const INI_Batch&) = delete;

  private:
    class Profile* file_ = nullptr;
};

void Load_Settings();
void Save_Settings();
// True once Load_Settings has run: only read settings may be written back.
extern bool Settings_Loaded;
// Back to the values at program start.
void Settings_Reset();
