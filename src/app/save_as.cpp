#include "app/save_as.h"
#include "app/dlg.h"
#include "dialogs/file_dlg.h"

namespace {
void save_as(const char* mode) {
    FD_Mode = mode;
    File_Dlg::get().Form_Show();
    Dlg_Wait();
}
} // namespace

void SaveAs_SYX() {
    save_as("SaveAs_SYX");
}
void SaveAs_SEQ() {
    save_as("SaveAs_SEQ");
}
