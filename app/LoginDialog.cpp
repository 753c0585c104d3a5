#include "app/LoginDialog.h"

#include "app/Look.h"
#include "resources/StringTable.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/Security.h"
#include "vandrel/MessageSink.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace tavlo {

namespace {

// The name field takes ten characters and nine of them count. A password counts whole: a
// field takes one more than a password may have, so that a longer one is refused with a word.
QString typed(const QLineEdit* field)
{
    return field->echoMode() == QLineEdit::Password ? field->text() : field->text().left(kUserNameLongest);
}

} // namespace

LoginDialog::LoginDialog(Database& db, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
{
    setWindowTitle(LoadString(kStrLoginTitle) + QStringLiteral("TAVLO-II"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);

    const auto label = [this](int id, Qt::Alignment alignment) {
        auto* l = new QLabel(LoadString(id), this);
        l->setAlignment(alignment | Qt::AlignVCenter);
        return l;
    };
    m_heading = label(48, Qt::AlignLeft);
    m_userLabel = label(49, Qt::AlignRight);
    m_passwordLabel = label(50, Qt::AlignRight);
    m_newLabel = label(51, Qt::AlignRight);
    m_confirmLabel = label(52, Qt::AlignRight);
    m_heading->setGeometry(63, 33, 300, 25);
    m_userLabel->setGeometry(13, 68, 150, 25);
    m_passwordLabel->setGeometry(13, 103, 150, 25);
    m_newLabel->setGeometry(13, 168, 150, 25);
    m_confirmLabel->setGeometry(13, 203, 150, 25);

    const auto field = [this](bool secret) {
        auto* f = new QLineEdit(this);
        f->setMaxLength(secret ? kPasswordLongest + 1 : kUserNameLongest + 1);
        if (secret)
            f->setEchoMode(QLineEdit::Password);
        return f;
    };
    m_user = field(false);
    m_password = field(true);
    m_newPassword = field(true);
    m_confirm = field(true);
    m_user->setGeometry(170, 65, 200, 23);
    m_password->setGeometry(170, 100, 200, 23);
    m_newPassword->setGeometry(170, 165, 200, 23);
    m_confirm->setGeometry(170, 200, 200, 23);
    // Each field is named by the label beside it, without its colon, for a screen reader.
    for (const auto& [label, edit] : {std::pair{m_userLabel, m_user}, std::pair{m_passwordLabel, m_password},
                                      std::pair{m_newLabel, m_newPassword}, std::pair{m_confirmLabel, m_confirm}}) {
        label->setBuddy(edit);
        edit->setAccessibleName(label->text().chopped(1));
    }

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(LoadString(kStrCancelButton), this);
    m_change = new QPushButton(QStringLiteral("&Endre passord"), this);
    connect(m_ok, &QPushButton::clicked, this, &LoginDialog::acceptInput);
    connect(m_cancel, &QPushButton::clicked, this, &LoginDialog::cancelInput);
    connect(m_change, &QPushButton::clicked, this, [this] { setMode(2); });
    setMode(1);
}

void LoginDialog::setMode(int mode)
{
    m_mode = mode;
    const bool change = mode == 2;
    const int height = change ? 270 : 180;
    setFixedSize(520, height);
    CentreOnScreen(this);
    for (QWidget* w : {static_cast<QWidget*>(m_newPassword), static_cast<QWidget*>(m_confirm),
                       static_cast<QWidget*>(m_newLabel), static_cast<QWidget*>(m_confirmLabel)})
        w->setVisible(change);
    m_ok->setGeometry(400, change ? 163 : 23, 110, 23);
    m_cancel->setGeometry(400, change ? 195 : 55, 110, 23);
    m_change->setGeometry(400, 100, 110, 23);
    m_change->setVisible(!change);
    m_user->setFocus();
}

void LoginDialog::failOn(QLineEdit* field, const QString& message)
{
    tell(message);
    field->setFocus();
    field->selectAll();
}

void LoginDialog::acceptInput()
{
    const QString user = typed(m_user);
    const QString password = typed(m_password);
    if (const auto refusal = CheckTypedLogin(user, password))
        return failOn(refusal->field == LoginField::User ? m_user : m_password, refusal->text);
    switch (CheckLogin(m_db, user, password, m_mode == 1)) {
    case kUnknownUser:
        return failOn(m_user, QStringLiteral("Brukernavnet er ikke registrert. Kontroller stavingen og forsøk igjen."));
    case kWrongPassword:
        return failOn(m_password, QStringLiteral("Feil passord!"));
    case kLoginMatched:
        break;
    default:
        return; // the driver's message was shown
    }
    if (m_mode == 1) {
        done(1);
        return;
    }
    const QString fresh = typed(m_newPassword);
    const auto clearNew = [this] {
        m_newPassword->clear();
        m_confirm->clear();
        m_newPassword->setFocus();
    };
    if (fresh.size() < 3) {
        tell(QStringLiteral("Nytt passord må være minst 3 tegn langt. Gjør et nytt forsøk!"));
        return clearNew();
    }
    if (fresh.size() > kPasswordLongest) {
        tell(QStringLiteral("Nytt passord kan ha høyst %1 tegn. Gjør et nytt forsøk!").arg(kPasswordLongest));
        return clearNew();
    }
    if (typed(m_confirm).toUtf8() != fresh.toUtf8()) {
        tell(QStringLiteral("Bekreftet passord må være likt Nytt passord. Gjør et nytt forsøk! "));
        return clearNew();
    }
    if (!StorePassword(m_db, user, fresh))
        return;
    tell(QStringLiteral("Nytt passord bekreftet!"));
    m_password->clear();
    m_newPassword->clear();
    m_confirm->clear();
    setMode(1);
    m_password->setFocus();
}

void LoginDialog::cancelInput()
{
    if (m_mode == 2)
        setMode(1);
    else
        done(0);
}

void LoginDialog::reject()
{
    cancelInput();
}

} // namespace tavlo
