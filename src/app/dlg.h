#pragma once
// Makes the modeless dialogs behave as modal ones over the editors and menus.
#include <QPointer>
#include <QString>

class QWidget;

extern QPointer<QWidget> Dlg_Saved_Focus;

void Dlg_Begin(QWidget* dialog, const QString& name);
void Dlg_End();
void Dlg_Wait();
void Menus_Disable();
void Menus_Enable();
