#pragma once
// What the fuzz targets share: Qt on the offscreen platform, the program
// started once in a temporary folder of the fuzzer's own, a recording MIDI
// host, and message boxes that answer at once.
#include "platform/msgbox.h"
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FakeMidiHost;

// Call from LLVMFuzzerInitialize, before anything else of the program.
void Fuzz_Setup();
// Runs the main window's start-up with both fake MIDI devices configured;
// more lines of the settings file may follow them.
void Fuzz_Start_Program(const QByteArray& more_settings = {});
FakeMidiHost& Fuzz_Midi();

// Ends an input as the event loop would: windows closed during it are deleted.
void Fuzz_Input_Done();

QString Fuzz_Folder();
QString Fuzz_Path(const QString& name);
void Fuzz_Write_File(const QString& path, const QByteArray& bytes);
QByteArray Fuzz_Read_File(const QString& path);

// Every box shown since the last reset. A question is answered by the next
// bit of answers: set gives its first button (Yes, OK, Abort, Retry), clear
// the second; once the bits run out the second, so no retry loops forever.
struct Fuzz_Box_Log {
    std::vector<MsgBoxCall> calls;
    std::uint32_t answers = 0;
    int asked = 0;
};
const Fuzz_Box_Log& Fuzz_Boxes();
void Fuzz_Boxes_Reset(std::uint32_t answers = 0);
std::string Fuzz_Box_Texts();

// A broken property: says what broke and aborts, so libFuzzer keeps the input.
[[noreturn]] void Fuzz_Fail(const char* what, const std::string& detail);
#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond)) Fuzz_Fail(#cond, detail);                                                     \
    } while (0)

// A hash of the input decides what the target does, without taking bytes
// from it, so the corpus stays made of plain tone, sequence and settings files.
std::uint32_t Fuzz_Hash(const std::uint8_t* data, std::size_t size);
std::string Fuzz_Hex(const QByteArray& bytes);
