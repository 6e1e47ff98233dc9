#pragma once
// Makes the modeless dialogs behave as modal ones over the editors and menus.
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

extern QPointer<QWidget> Dlg_Saved_Focus;

void Dlg_Begin(QWidget* dialog, const QString& name);
void Dlg_End();
void Dlg_Wait();
// The same wait, until done says so.
void Dlg_Wait_Until(const std::function<bool()>& done);
// Tests work the open dialog through this hook: it runs once when a caller
// starts waiting. An empty hook restores the normal behaviour.
void Set_Dlg_Wait_Hook(std::function<void()> hook);
void Menus_Disable();
void Menus_Enable();
// Back to the values at program start.
void Dlg_Reset();
