#pragma once
#include "app/main_module.h"
// The program's own file dialog: drives, folders and files, opening and
// saving tones and sequences, new folder and delete.
#include "app/form.h"
#include <QComboBox>
#include <QListWidget>
#include <QPixmap>
#include <QString>
#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QTimer;
class Picture_Box;
class Picture_Button;
class Picture_Check;

extern QString FD_Mode;     // "Open_SYX", "SaveAs_SYX", "Open_SEQ", ... set before the dialog opens
extern QString FD_Ext;      // appended to a typed name without extension
extern QString FD_Path;     // the folder list's path at the start of OK and double click
extern QString FD_Selected; // the entry last clicked: a file name or a folder path
extern QString FD_Selected_Kind; // "File" or "Dir"
extern QString FD_Drive;         // the last drive that could be opened

// Error numbers the dialog reports, and their texts.
namespace Fd_Err {
enum : int {
    Bad_Name = 52,
    Not_Found = 53,
    Unavailable = 68,
    Denied = 70,
    Access = 75,
    No_Path = 76
};
}
QString FD_Error_Text(int err);

// The volumes: the root and every mounted volume that is a folder.
class Drive_List : public QComboBox {
    Q_OBJECT
  public:
    explicit Drive_List(QWidget* parent);
    void Refresh();
    QString Drive() const { return currentText(); }
    // Selects the volume that holds path.
    void Set_Drive(const QString& path);
};

// The path from the root down to the current folder, then its subfolders.
class Dir_List : public QListWidget {
    Q_OBJECT
  public:
    explicit Dir_List(QWidget* parent);
    QString Path() const { return path_; }
    // 0, or the error number: 68 when the folder's volume has gone, 76 otherwise.
    int Set_Path(const QString& path);
    void Refresh();
    // The highlighted entry, or the current folder when none is highlighted.
    QString Entry_At_Index() const;
    int Entry_Count() const { return count(); }

  signals:
    void Change();

  private:
    QString path_;
};

// The files of one folder that match the pattern ("*.syx", "a*;b*", "*.*" for all).
class File_List : public QListWidget {
    Q_OBJECT
  public:
    explicit File_List(QWidget* parent);
    QString Path() const { return path_; }
    int Set_Path(const QString& path);
    QString Pattern() const { return pattern_; }
    void Set_Pattern(const QString& pattern);
    // A name with a folder part moves the list there; a wildcard name becomes
    // the pattern; a plain name is highlighted. 0 or an error number.
    int Set_FileName(const QString& name);
    void Refresh();
    // The user's choice of the highlighted entry, whose text goes into the
    // name box; its shown text.
    QString Pick_Highlighted();
    // A new listing ends the pick.
    void Unpick();
    // A name typed over the box ends the pick, and the mark of a delete.
    void Typed();
    // The name box still holds the picked entry's text.
    bool Picked(const QString& box) const;
    QString Picked_Name() const { return picked_name_; }
    // The file the name box stands for: the picked entry by its own name,
    // blanks and bytes that are not UTF-8 included; a typed name without
    // the blanks at its ends.
    QString File_Name(const QString& box) const;
    // After a delete the box is read as typed, but for the next Delete it
    // still means the file deleted, until a click or typing: a look-alike
    // that the box now reads as is never deleted in its place.
    void Mark_Deleted(const QString& name, const QString& box);
    QString Delete_Name(const QString& box) const;

  private:
    QString path_, pattern_ = "*.syx";
    QString picked_shown_, picked_name_;
    QString deleted_shown_, deleted_name_;
};

class File_Dlg : public QWidget, public Form<File_Dlg> {
    Q_OBJECT
  public:
    File_Dlg();
    void Form_Load();
    void Form_Show();
    void Form_Unload();
    // Save As asked for while the dialog is open (a file being opened holds
    // a second tone): the dialog turns to the save and back when it ends.
    void Nested_Save(const QString& mode);

    Drive_List* FD_List_Drives;
    Dir_List* FD_List_Dirs;
    File_List* FD_List_Files;
    QLineEdit* FD_FileName;
    QComboBox* FD_List_Filter;
    Picture_Button *FD_Button_Ok, *FD_Button_Cancel;
    Picture_Button *FD_Button_Updir, *FD_Button_Delete, *FD_Button_Newdir;
    QLabel* FD_Dir_Label; // the folder list's path in words

    // The preview panels and their controls.
    QFrame *FD_SYX, *FD_SEQ, *FD_OSC;
    Picture_Check *FD_SYX_CB_Autoplay, *FD_SYX_CB_Autosend, *FD_SEQ_CB_Autoplay;
    std::vector<Picture_Check*> FD_SYX_OB_Soundcheck;
    QComboBox *FD_SYX_SoundCheck_Note_List, *FD_SYX_SoundCheck_Velocity_List;
    Picture_Button *FD_SYX_Button_Start, *FD_SYX_Button_Stop, *FD_SEQ_Button_Start,
        *FD_SEQ_Button_Stop;
    Picture_Box *FD_SEQ_Preview, *FD_OSC_Preview;
    // The cells of the sequence preview: 0 empty, 2 full, 3 soft.
    std::array<QPixmap, 4> FD_SEQ_Pics;

    // The preview panels (the file click preview, its settings and buttons).
    void FD_SYX_CB_Autoplay_Click();
    void FD_SYX_CB_Autosend_Click();
    void FD_SEQ_CB_Autoplay_Click();
    void FD_SYX_OB_Soundcheck_Click(int index);
    void FD_SYX_SoundCheck_Note_List_Click();
    void FD_SYX_SoundCheck_Velocity_List_Click();
    void FD_Button_Start_Click(Picture_Button* start);
    void FD_Button_Stop_Click();
    void FD_Button_Stop_MouseUp(Picture_Button* stop, Picture_Button* start);
    // Sets the panels up from the settings when the dialog loads.
    void FD_Preview_Setup();
    // Keeps the sound-check note and velocity of the lists when the dialog closes.
    void FD_Preview_Store();
    // Loads the clicked file and sounds or plays it.
    void FD_Click_Preview();
    // The sound check waiting for the display timer's tick, or not.
    bool Soundcheck_Pending() const;

    void FD_Button_Ok_Click();
    void FD_List_Files_DblClick();
    void FD_List_Filter_Click();
    void FD_List_Drives_Change();
    void FD_List_Dirs_Change();
    void FD_Button_Updir_MouseDown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool Form_KeyDown(QObject* target, QKeyEvent* event);
    void Form_QueryUnload();
    void Build_Preview_Panels();
    void Connect_Preview_Panels();
    bool Preview_Alt_Key(int key);
    void Soundcheck_Poll();
    QTimer* soundcheck_poll_ = nullptr;
    bool nested_save_ = false;
    void Extension_Completion();
    void Select_Name();
    void Show_Dir_Label();
    void Error_Box(int err);
    void File_Pressed();
    // The dialog asked for the file the name box stands for.
    bool Box_Picked() const;
    // The name box's text given to the file list; 0 or an error number.
    int Name_To_List();
};

void FD_Setup();
// Sets the preview panels from AutoPlay_On.
void FD_Preview_Enable();
void Pics_File_Dlg();
// The parent folder with a trailing "/"; the root stays the root.
QString Parent_Dir(QString& path);
void FD_New_Dir();
void FD_Delete();
void Tone_Backup();
void Tone_Restore();
// Back to the values at program start.
void File_Dlg_Reset();
