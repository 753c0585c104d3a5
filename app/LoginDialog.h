#pragma once
// The login before the start screen, and the change of a password.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavlo {

class Database;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(Database& db, QWidget* parent = nullptr);

    int mode() const { return m_mode; } // 1 login, 2 change password
    void setMode(int mode);

    QLineEdit* userField() const { return m_user; }
    QLineEdit* passwordField() const { return m_password; }
    QLineEdit* newPasswordField() const { return m_newPassword; }
    QLineEdit* confirmField() const { return m_confirm; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* changeButton() const { return m_change; }

    // The OK steps; the dialog closes with 1 after a login in mode 1.
    void acceptInput();
    // Mode 2 goes back to mode 1; mode 1 closes with 0.
    void cancelInput();

    // Escape and closing the window (title bar, Alt+F4) are Cancel: in change mode they go
    // back to the login and never end the program.
    void reject() override;

private:
    void failOn(QLineEdit* field, const QString& message);

    Database& m_db;
    int m_mode = 1;
    QLabel* m_heading;
    QLabel* m_userLabel;
    QLabel* m_passwordLabel;
    QLabel* m_newLabel;
    QLabel* m_confirmLabel;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_newPassword;
    QLineEdit* m_confirm;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_change;
};

} // namespace tavlo
