#pragma once
// A new, empty database for a clinic that has none yet: the folder, the first user and its
// password, made as init-db makes it, with the program's provisional norms.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tavlo {

class NewDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewDatabaseDialog(QWidget* parent = nullptr);

    QLineEdit* folderField() const { return m_folder; }
    QLineEdit* userField() const { return m_user; }
    QLineEdit* passwordField() const { return m_password; }
    QLineEdit* repeatField() const { return m_repeat; }
    QPushButton* createButton() const { return m_create; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Checks the fields and creates the database; closes with 1 when it was made, else says
    // why and stays open with everything as typed.
    void createDatabase();
    // The folder of the database made, ending with a separator; empty until then.
    QString createdFolder() const { return m_created; }

private:
    bool refuse(QLineEdit* field, const QString& message);

    QLineEdit* m_folder;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_repeat;
    QPushButton* m_create;
    QPushButton* m_cancel;
    QString m_created;
};

} // namespace tavlo
