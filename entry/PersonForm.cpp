#include "entry/PersonForm.h"

#include "app/Commands.h"
#include "app/GuiSink.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "entry/Kelmo.h"
#include "entry/TypingGuard.h"
#include "model/Dates.h"
#include "model/PersonText.h"
#include "model/TestRecord.h"
#include "resources/StringTable.h"
#include "vandrel/MessageSink.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QPainter>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace tavlo {

namespace {

struct FieldDef {
    int labelId;
    int x, y, width;
    int maxChars;
    QString PersonalData::*text; // nullptr for the dates, the test age, sex and handedness
    const char* kelmoKey;        // nullptr for the test age
};

const FieldDef kFields[PersonForm::kFieldCount] = {
    {17, 105, 120, 400, 49, &PersonalData::NAMN, "Namn"},
    {18, 105, 150, 400, 49, &PersonalData::ADRESS, "Adress"},
    {19, 105, 180, 150, 20, &PersonalData::TELEFON, "Telefon"},
    {20, 105, 210, 150, 20, &PersonalData::NATIONALITET, "Nationalitet"},
    {21, 105, 240, 150, 20, &PersonalData::HOMELANGUAGE, "HomeLanguage"},
    {22, 105, 270, 400, 49, &PersonalData::SKOLA, "Skola"},
    {324, 105, 300, 150, 49, &PersonalData::KLASS, "Klass"},
    {23, 105, 330, 400, 49, &PersonalData::TESTAD_VID, "TestadVid"},
    {24, 105, 360, 400, 49, &PersonalData::TESTLEDARE, "Testledare"},
    {30, 105, 390, 400, 49, &PersonalData::OTHER, "Other"},
    {25, 605, 120, 80, 8, nullptr, "TestDate"},
    {26, 605, 150, 80, 8, nullptr, "BornDate"},
    {27, 605, 180, 60, 8, nullptr, nullptr},
    {28, 605, 210, 20, 1, nullptr, "Sex"},
    {29, 605, 240, 20, 1, nullptr, "Handedness"},
};

constexpr int kFieldHeight = 25;
const QString kHandednessLetters = QStringLiteral("VHAO"); // codes 1-4

// Sex and handedness hold capital letters, typed or pasted.
class UpperCase : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

// Keys that edit, move the caret or only modify: every field lets them through.
bool isEditingKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Clear:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Pause:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Select:
    case Qt::Key_Print:
    case Qt::Key_Execute:
    case Qt::Key_SysReq:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Help:
    case Qt::Key_Cancel:
        return true;
    default:
        return false;
    }
}

// Whether the key may reach the field; the key code is the same for the main keyboard's
// digits and the keypad's.
bool isDateField(int field)
{
    return field == PersonForm::kTestDateField || field == PersonForm::kBornDateField;
}

bool keyPasses(int field, int key)
{
    if (isEditingKey(key))
        return true;
    switch (field) {
    case PersonForm::kTestDateField:
    case PersonForm::kBornDateField:
        return key >= Qt::Key_0 && key <= Qt::Key_9;
    case PersonForm::kSexField:
        return key == Qt::Key_G || key == Qt::Key_J;
    case PersonForm::kHandednessField:
        return key == Qt::Key_V || key == Qt::Key_H || key == Qt::Key_A || key == Qt::Key_O;
    default:
        return true;
    }
}

// Only two dates that pass the calendar check give an age: a missing or half-typed one
// would count from year 0.
QString shownTestAge(const QString& testText, const QString& bornText)
{
    const auto testDate = ParseTypedDate(testText);
    const auto bornDate = ParseTypedDate(bornText);
    return testDate && bornDate ? FormatTestAge(ComputeTestAge(*testDate, *bornDate)) : QString();
}

// At 600 high the buttons stand at 520 and the banner at 533; a window a little shorter keeps
// them at its foot rather than cut them off.
int buttonTop(int height)
{
    return height - 80;
}

int bannerTop(int height)
{
    return height - 67;
}

// Text whose top-left corner is at (x, y).
void drawAt(QPainter& p, int x, int y, const QString& text)
{
    p.drawText(x, y + p.fontMetrics().ascent(), text);
}

} // namespace

PersonForm::PersonForm(MainWindow& main)
    : Screen(main)
    , m_context(main.context())
{
    // The buttons and the banner keep to the window's foot, down to just below the fields.
    setMinimumSize(800, 570);
    setGeometry(main.page()->rect());
    main.hideButtons();
    main.placeButton(kButton1, LoadString(kStrCancelButton), QRect(20, buttonTop(height()), 120, 40));
    main.placeButton(kButton2, LoadString(kStrContinueButton), QRect(150, buttonTop(height()), 120, 40));

    for (int id = 0; id < kFieldCount; ++id) {
        const FieldDef& def = kFields[id];
        auto* edit = new QLineEdit(this);
        edit->setGeometry(def.x, def.y, def.width, kFieldHeight);
        edit->setFont(MainFont());
        edit->setMaxLength(def.maxChars);
        edit->installEventFilter(this);
        m_fields[size_t(id)] = edit;
        // Typing past the limit, or a paste that would, is cut by the field: never unseen.
        if (def.text)
            connect(edit, &QLineEdit::inputRejected, this, [this, id] { tellTextNotTaken(id); });
    }
    describeFields();
    m_notice = new QLabel(this);
    m_notice->setGeometry(105, 448, 600, 40);
    m_notice->setFont(MainFont());
    m_notice->setWordWrap(true);
    QPalette warning = m_notice->palette();
    warning.setColor(QPalette::WindowText, QColor(160, 0, 0));
    m_notice->setPalette(warning);
    m_notice->hide();
    field(kTestAgeField)->setReadOnly(true);
    field(kSexField)->setValidator(new UpperCase(field(kSexField)));
    // What a paste may put in a date field: digits only, as typing does.
    for (const int id : {kTestDateField, kBornDateField})
        field(id)->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field(id)));
    field(kHandednessField)->setValidator(new UpperCase(field(kHandednessField)));

    fillFromRecord();
    m_typing = new TypingGuard(this);
    orderTabs({m_fields.begin(), m_fields.end()});
}

void PersonForm::describeFields()
{
    // The labels, formats and marks are painted, so a screen reader finds none of them: each
    // field says its label, and what the painted hint and mark beside it say.
    const auto hint = [](int id) { return LoadString(id).remove(u'(').remove(u')') + u'.'; };
    const QString mandatory = QStringLiteral("Må fylles inn.");
    for (int id = 0; id < kFieldCount; ++id)
        field(id)->setAccessibleName(LoadString(kFields[id].labelId));
    for (const int id : {kNameField, kTestLeaderField, kSexField})
        field(id)->setAccessibleDescription(mandatory);
    for (const int id : {kTestDateField, kBornDateField})
        field(id)->setAccessibleDescription(hint(kStrDateFormat) + u' ' + mandatory);
    field(kTestAgeField)->setAccessibleDescription(hint(kStrAgeFormat));
    field(kSexField)->setAccessibleDescription(hint(kStrSexCodes) + u' ' + mandatory);
    field(kHandednessField)->setAccessibleDescription(hint(kStrHandCodes));
}

QLineEdit* PersonForm::field(int id) const
{
    return id >= 0 && id < kFieldCount ? m_fields[size_t(id)] : nullptr;
}

PersonalData& PersonForm::person() const
{
    return m_context.test.person;
}

namespace {

// The limit only stops typing: a longer stored or remembered text is shown whole, so it is
// neither cut short unseen nor lost; accepting refuses what cannot be stored.
void setFieldText(QLineEdit* edit, int maxChars, const QString& text)
{
    edit->setMaxLength(std::max(maxChars, int(text.size())));
    edit->setText(text);
    edit->setCursorPosition(0); // a text wider than its field shows its beginning
}

} // namespace

void PersonForm::fillFromRecord()
{
    const PersonalData& p = person();
    for (int id = 0; id < kFieldCount; ++id) {
        if (kFields[id].text)
            setFieldText(field(id), kFields[id].maxChars, p.*kFields[id].text);
    }
    field(kTestDateField)->setText(FormatTypedDate(p.TESTDATE));
    field(kBornDateField)->setText(FormatTypedDate(p.BORNDATE));
    field(kTestAgeField)->setText(shownTestAge(field(kTestDateField)->text(), field(kBornDateField)->text()));
    field(kSexField)->setText(p.SEX == 1 ? QStringLiteral("G") : p.SEX == 2 ? QStringLiteral("J") : QString());
    field(kHandednessField)
        ->setText(p.HANDEDNESS >= 1 && p.HANDEDNESS <= 4 ? QString(kHandednessLetters[p.HANDEDNESS - 1]) : QString());
}

void PersonForm::fillFromKelmo()
{
    const Kelmo kelmo;
    for (int id = 0; id < kFieldCount; ++id) {
        const char* key = kFields[id].kelmoKey;
        if (!key)
            continue;
        // "?" shows what was never remembered; a missing address or phone is simply empty.
        const QString absent = id == 1 || id == 2 ? QString() : QStringLiteral("?");
        setFieldText(field(id), kFields[id].maxChars, kelmo.read(key, absent));
    }
}

void PersonForm::showEvent(QShowEvent* event)
{
    Screen::showEvent(event);
    if (!m_focusedOnce) {
        m_focusedOnce = true;
        focusField(0);
    }
}

void PersonForm::focusField(int id)
{
    field(id)->setFocus(Qt::OtherFocusReason);
    field(id)->selectAll();
}

void PersonForm::moveFocus(int from, bool forward)
{
    int to = from;
    do
        to = (to + (forward ? 1 : kFieldCount - 1)) % kFieldCount;
    while (to == kTestAgeField); // only shown, never typed into
    focusField(to);
}

void PersonForm::showLiveTestAge()
{
    // The record follows the typing without the calendar check; the dates are judged on
    // accepting.
    PersonalData& p = person();
    const QString testText = field(kTestDateField)->text();
    const QString bornText = field(kBornDateField)->text();
    if (const auto testDate = ReadTypedDate(testText))
        p.TESTDATE = *testDate;
    if (const auto bornDate = ReadTypedDate(bornText))
        p.BORNDATE = *bornDate;
    field(kTestAgeField)->setText(shownTestAge(testText, bornText));
}

void PersonForm::tellTextNotTaken(int id)
{
    Beep();
    m_notice->setText(QStringLiteral("Feltet \"%1\" kan ha høyst %2 tegn. Resten av det du skrev eller limte inn, "
                                     "ble ikke tatt med.")
                          .arg(LoadString(kFields[id].labelId))
                          .arg(kFields[id].maxChars));
    m_notice->show();
    m_noticeField = id;
}

bool PersonForm::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = std::find(m_fields.begin(), m_fields.end(), watched);
    if (m_closed || it == m_fields.end())
        return Screen::eventFilter(watched, event);
    const int id = int(it - m_fields.begin());
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(id, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        // The notice speaks of one field: it stays while that field is worked on.
        if (id != m_noticeField) {
            m_notice->hide();
            m_noticeField = -1;
        }
        field(id)->selectAll();
        // The press that brought the focus comes after it.
        m_clickedInto = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason ? id : -1;
        break;
    case QEvent::MouseButtonPress:
        // A date is typed whole: the click into the field takes all of it, as Tab does, so
        // that typing replaces it; a click in a field that has the focus places the caret.
        if (isDateField(id) && m_clickedInto == id) {
            m_clickedInto = -1;
            field(id)->selectAll();
            return true;
        }
        m_clickedInto = -1;
        break;
    case QEvent::FocusOut:
        m_clickedInto = -1;
        if (id == kTestDateField || id == kBornDateField)
            showLiveTestAge();
        break;
    default:
        break;
    }
    return Screen::eventFilter(watched, event);
}

bool PersonForm::handleKey(int id, QKeyEvent* key)
{
    // Alt belongs to the shortcuts; Ctrl to the field's own editing (select all, copy, paste,
    // undo), which the validators keep to what the field may hold.
    if (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))
        return false;
    if (!keyPasses(id, key->key())) {
        Beep();
        return true;
    }
    // A full date field takes a digit over the one after the caret, instead of refusing it.
    QLineEdit* edit = field(id);
    if (isDateField(id) && key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9 && !edit->hasSelectedText()
        && edit->text().size() >= edit->maxLength() && edit->cursorPosition() < edit->text().size())
        edit->setSelection(edit->cursorPosition(), 1);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        moveFocus(id, key->key() == Qt::Key_Tab && !shift);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (id == kHandednessField && !shift)
            main().sendCommand(kButton2);
        else
            moveFocus(id, !shift);
        return true;
    default:
        return false;
    }
}

int PersonForm::acceptPersonForm()
{
    PersonalData& p = person();
    Kelmo kelmo;
    const auto refuse = [this](int id, const QString& message) {
        tell(message, MessageIcon::Exclamation);
        focusField(id);
        return 0;
    };

    // Name, address ... tested at, test leader, other: in the order of the ids.
    for (int id = 0; id <= 9; ++id) {
        const FieldDef& def = kFields[id];
        const QString text = NormalizedPersonText(field(id)->text());
        if (id == 0 && text.isEmpty())
            return refuse(id, QStringLiteral("Testpersonens navn må fylles inn!"));
        if (id == 8 && text.isEmpty())
            return refuse(id, QStringLiteral("Testleder må fylles inn!"));
        if (const auto refusal = CheckPersonText(LoadString(def.labelId), text))
            return refuse(id, *refusal);
        p.*def.text = text;
        kelmo.keep(def.kelmoKey, text);
    }

    const auto readDate = [&](int id, const QString& missing, const QString& wrong) {
        const QString text = field(id)->text();
        const auto date = ParseTypedDate(text);
        if (!date)
            refuse(id, text.isEmpty() ? missing : wrong);
        return date;
    };
    const auto keepDate = [&](int id, Date& into, const Date& date) {
        into = date;
        kelmo.keep(kFields[id].kelmoKey, field(id)->text());
    };
    const auto testDate = readDate(kTestDateField, QStringLiteral("Testdato må fylles inn!"),
                                   QStringLiteral("Feil testdato. Endre til gyldig dato!"));
    if (!testDate)
        return 0;
    // Most likely a slip of the keyboard; asked before the date is taken, so No leaves it out.
    if (IsAfter(*testDate, Today())
        && !askYesNo(QStringLiteral("Testdatoen er etter dagens dato. Er det riktig?"), MessageIcon::Question, false)) {
        focusField(kTestDateField);
        return 0;
    }
    keepDate(kTestDateField, p.TESTDATE, *testDate);
    const QString wrongBorn = QStringLiteral("Feil fødselsdato. Endre til gyldig dato!");
    const auto bornDate = readDate(kBornDateField, QStringLiteral("Fødselsdato må fylles inn!"), wrongBorn);
    if (!bornDate)
        return 0;
    if (BornAfterTest(p.TESTDATE, *bornDate))
        return refuse(kBornDateField, wrongBorn);
    keepDate(kBornDateField, p.BORNDATE, *bornDate);

    const QString sex = field(kSexField)->text();
    if (sex != u"G" && sex != u"J")
        return refuse(kSexField, QStringLiteral("Kjønn må fylles inn!"));
    p.SEX = sex == u"G" ? 1 : 2;
    kelmo.keep(kFields[kSexField].kelmoKey, sex);

    // Not required: empty means not given; a text that is no code (pasted, or "?" from
    // kelmo.ini) keeps what the record had.
    const QString hand = field(kHandednessField)->text();
    if (hand.isEmpty()) {
        p.HANDEDNESS = 0;
    } else {
        if (hand.size() == 1 && kHandednessLetters.contains(hand))
            p.HANDEDNESS = int(kHandednessLetters.indexOf(hand)) + 1;
        kelmo.keep(kFields[kHandednessField].kelmoKey, hand);
    }

    const TestAge age = ComputeTestAge(p.TESTDATE, p.BORNDATE);
    if (age.years < 3 && !askYesNo(QStringLiteral("Barnet är yngre än 3 år. Är det korrekt?")))
        return 0;
    if (age.years >= 17 && !askYesNo(QStringLiteral("Barnet är äldre än 16 år. Stämmer det?")))
        return 0;
    kelmo.write();
    return 1;
}

void PersonForm::closePersonForm()
{
    // From here on the fields only go away: leaving a date field must not touch the record.
    m_closed = true;
    for (QLineEdit* edit : m_fields)
        edit->removeEventFilter(this);
    main().hideButtons();
}

void PersonForm::cancel()
{
    if (!m_typing->mayDiscard())
        return;
    // Also when a stored test was opened for change: the stored rows are not touched.
    NewTestRecord(m_context.test);
    closePersonForm();
    main().showStartScreen();
}

bool PersonForm::command(int id)
{
    if (m_closed)
        return false;
    switch (id) {
    case kButton1:
    case kAltA:
    case kEscape:
        cancel();
        return true;
    case kButton2:
    case kAltF:
        if (acceptPersonForm() == 1) {
            if (main().runRawScoreEntry() == 1) {
                closePersonForm();
                main().showResults();
            } else {
                main().setFocus();
            }
        }
        return true;
    case kAltS:
        fillFromKelmo();
        return true;
    default:
        return false;
    }
}

QRect PersonForm::logoArea() const
{
    return BannerLogoRect().translated(0, bannerTop(height()));
}

void PersonForm::resizeEvent(QResizeEvent* event)
{
    Screen::resizeEvent(event);
    const int top = buttonTop(height());
    for (const int id : {kButton1, kButton2}) {
        if (QPushButton* b = main().button(id))
            b->move(b->x(), top);
    }
}

void PersonForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);

    p.setFont(MainFont());
    for (const FieldDef& def : kFields) {
        const QString label = LoadString(def.labelId);
        const int right = def.x < 600 ? 100 : 600;
        drawAt(p, right - p.fontMetrics().horizontalAdvance(label), def.y + 5, label);
    }

    p.setFont(WindowsFont(QStringLiteral("Arial"), 14));
    drawAt(p, 690, 125, LoadString(kStrDateFormat));
    drawAt(p, 690, 155, LoadString(kStrDateFormat));
    drawAt(p, 670, 185, LoadString(kStrAgeFormat));
    drawAt(p, 630, 215, LoadString(kStrSexCodes));
    drawAt(p, 630, 245, LoadString(kStrHandCodes));

    p.setFont(WindowsFont(QStringLiteral("Arial"), 20, true));
    drawAt(p, 105, 75, LoadString(kStrPersonInformation));

    p.setFont(WindowsFont(QStringLiteral("Arial"), 12));
    const QString mark = QStringLiteral("*");
    for (const QPoint at : {QPoint(100, 125), QPoint(600, 125), QPoint(600, 155), QPoint(600, 215), QPoint(100, 365),
                            QPoint(100, 425)})
        drawAt(p, at.x(), at.y(), mark);
    drawAt(p, 100 + p.fontMetrics().horizontalAdvance(mark), 425, LoadString(kStrMandatoryInformation));

    p.drawPixmap(0, bannerTop(height()), BannerPicture());
}

} // namespace tavlo
