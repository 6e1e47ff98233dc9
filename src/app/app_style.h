#pragma once
// The program's style: the platform's own, except that the pictures of the
// document windows' title bars and system menus, and the menu bar's overflow
// button, are drawn by our code. The
// platform reads those from image files, which costs every start the loading
// of the image readers.
#include <QIcon>
#include <QProxyStyle>
#include <array>

class App_Style : public QProxyStyle {
    Q_OBJECT
  public:
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

  private:
    // Every document window asks for these when it is made: drawn once.
    mutable std::array<QIcon, 6> icons_;
};

// Makes App_Style the application's style, once.
void Install_App_Style();
