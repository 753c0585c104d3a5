#include "app/NewDatabaseDialog.h"

#include "app/Look.h"
#include "resources/StringTable.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/Security.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavlo {

namespace {

// The login reads nine characters of a name, so no more can be typed; a password one more
// than it may have, so that a longer one pasted in is refused with a word, not cut short.
QLineEdit* credentialField(QWidget* parent, bool secret)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(secret ? kPasswordLongest + 1 : kUserNameLongest);
    if (secret)
        field->setEchoMode(QLineEdit::Password);
    return field;
}

} // namespace

NewDatabaseDialog::NewDatabaseDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ny database for TAVLO-II"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);

    auto* about = new QLabel(
        QStringLiteral("Programmet lager en ny, tom database i mappen du velger, med én bruker. Databasen får "
                       "programmets foreløpige normer: de er laget for å prøve programmet og er ikke for klinisk "
                       "bruk. Klinikkens egne normer legges inn med «tavlo-ii-cli import-norms»."),
        this);
    about->setWordWrap(true);

    m_folder = new QLineEdit(QDir::home().filePath(QStringLiteral("TAVLO-II")), this);
    auto* browse = new QPushButton(QStringLiteral("&Bla gjennom …"), this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    m_user = credentialField(this, false);
    m_password = credentialField(this, true);
    m_repeat = credentialField(this, true);

    auto* form = new QFormLayout;
    auto* folderLabel = new QLabel(QStringLiteral("&Mappe:"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);
    form->addRow(LoadString(kStrUserNameLabel), m_user);
    form->addRow(LoadString(kStrPasswordLabel), m_password);
    form->addRow(QStringLiteral("Gjenta passord:"), m_repeat);

    m_create = new QPushButton(QStringLiteral("&Opprett"), this);
    m_create->setDefault(true);
    m_cancel = new QPushButton(LoadString(kStrCancelButton), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_create);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(520);
    adjustSize();
    CentreOnScreen(this);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(chosen));
    });
    connect(m_create, &QPushButton::clicked, this, &NewDatabaseDialog::createDatabase);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_user->setFocus();
}

bool NewDatabaseDialog::refuse(QLineEdit* field, const QString& message)
{
    tell(message, MessageIcon::Exclamation);
    field->setFocus();
    field->selectAll();
    return false;
}

void NewDatabaseDialog::createDatabase()
{
    // The login's own rules and words, so the first login later cannot fail on them.
    const QString folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    const QString user = m_user->text();
    const QString password = m_password->text();
    if (folder.isEmpty())
        return void(refuse(m_folder, QStringLiteral("Velg mappen der databasen skal ligge.")));
    if (const auto refusal = CheckTypedLogin(user, password))
        return void(refuse(refusal->field == LoginField::User ? m_user : m_password, refusal->text));
    if (m_repeat->text() != password) {
        m_repeat->clear();
        return void(refuse(m_repeat, QStringLiteral("Passordet må skrives likt begge gangene. Gjør et nytt forsøk!")));
    }
    QString message;
    if (CreateDatabase(folder, user, password, &message) != CreateResult::Created)
        return void(refuse(m_folder, message));
    m_created = QDir(folder).absolutePath() + u'/';
    accept();
}

} // namespace tavlo
