#pragma once
// Every text a user can read in a window: titles, labels, buttons, tool tips, list entries,
// column headers, the pages of every tab and the entries of menus; and a finder for the
// English words of Qt's own dialogs among them.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>

#include <functional>

namespace tavlo::test {

namespace detail {

inline void addModelTexts(const QAbstractItemView* view, QStringList& out)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return;
    const QModelIndex root = view->rootIndex();
    for (int c = 0; c < model->columnCount(root); ++c)
        out << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(root); ++r) {
        for (int c = 0; c < model->columnCount(root); ++c)
            out << model->index(r, c, root).data().toString() << model->index(r, c, root).data(Qt::ToolTipRole).toString();
    }
}

inline void addTexts(const QWidget* w, QStringList& out)
{
    if (w->isWindow())
        out << w->windowTitle();
    out << w->toolTip();
    if (auto* label = qobject_cast<const QLabel*>(w))
        out << label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        out << button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        out << group->title();
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        out << edit->placeholderText();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(w))
        out << spin->specialValueText();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
    }
    if (auto* tabs = qobject_cast<const QTabBar*>(w)) {
        for (int i = 0; i < tabs->count(); ++i)
            out << tabs->tabText(i) << tabs->tabToolTip(i);
    }
    if (auto* view = qobject_cast<const QAbstractItemView*>(w))
        addModelTexts(view, out);
}

// Widgets hidden on purpose are not seen; the pages of a stack (a tab widget's, the file
// dialog's two views) are seen one after another, so all of them count.
inline void collect(const QWidget* w, QStringList& out)
{
    const bool page = qobject_cast<const QStackedWidget*>(w->parentWidget()) != nullptr;
    if (w->isHidden() && !page && !w->isWindow())
        return;
    addTexts(w, out);
    for (const QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            collect(child, out);
    }
}

} // namespace detail

inline QStringList visibleTexts(const QWidget* window)
{
    QStringList out;
    detail::collect(window, out);
    out.removeAll(QString());
    out.removeDuplicates();
    return out;
}

inline QStringList menuTexts(const QMenu* menu)
{
    QStringList out;
    for (const QAction* action : menu->actions()) {
        out << action->text() << action->toolTip();
        if (action->menu())
            out << menuTexts(action->menu());
    }
    out.removeAll(QString());
    return out;
}

// Words and phrases of Qt's dialogs in English, matched whole and case-sensitively after the
// mnemonic '&' is taken out. Words that Norwegian spells the same (OK, Start, Standard, Shift,
// "to" of "Pages from … to") are not here.
inline const QStringList& englishWords()
{
    static const QStringList words = {
        "Look in", "File name", "Files of type", "Cancel", "Save", "Open", "Choose", "Print", "Printer",
        "Properties", "Options", "Copies", "Yes", "No", "Undo", "Redo", "Cut", "Copy", "Paste", "Delete",
        "Select All", "Name", "Size", "Type", "Kind", "Date Modified", "Detail View", "List View", "Back",
        "Forward", "Parent Directory", "Create New Folder", "New Folder", "Folder", "Directory", "Directories",
        "Computer", "Recent Places", "Rename", "Show hidden files", "already exists", "Do you want", "replace",
        "overwrite", "Location", "Local file", "Write PDF file", "Output file", "Preview", "Print range",
        "Print all", "Pages from", "Pages", "Page", "Page Set", "All Pages", "Odd Pages", "Even Pages",
        "Output Settings", "Collate", "Reverse", "Color", "Grayscale", "Double Sided", "Duplex", "Long side",
        "Short side", "Off", "None", "Paper", "Page size", "Width", "Height", "Orientation", "Portrait",
        "Landscape", "Margins", "margin", "Page Layout", "Page order", "Pages per sheet", "Custom",
        "Millimeters", "Inches", "Points", "Left to Right", "Top to Bottom", "Envelope", "Job", "Advanced",
        "Scheduled printing", "Billing information", "Job priority", "Banner Pages", "Print Immediately",
        "End", "Close", "Apply", "Reset", "Help", "Discard", "Abort", "Retry", "Ignore", "Show Details",
        "Hide Details", "Drive", "Unknown", "Shortcut", "Specify pages", "Automatic", "Secret",
        "Confidential", "Classified", "Day", "Night", "Weekend",
    };
    return words;
}

// "word in «text»" for every English word found in the texts. Paths (the folder list) are
// names, not words.
inline QStringList englishIn(const QStringList& texts)
{
    QStringList found;
    for (QString text : texts) {
        if (text.startsWith(u'/'))
            continue;
        text.remove(u'&');
        for (const QString& word : englishWords()) {
            const QRegularExpression whole(QStringLiteral("(?<!\\p{L})%1(?!\\p{L})").arg(QRegularExpression::escape(word)));
            if (whole.match(text).hasMatch())
                found << QStringLiteral("%1 in «%2»").arg(word, text);
        }
    }
    return found;
}

// Runs `open`, which shows a modal window or popup menu and waits in it, and returns what that
// window shows (after `look` has seen it); the window is then closed.
inline QStringList textsOfNextModal(const std::function<void()>& open,
                                    const std::function<void(QWidget&)>& look = {})
{
    QWidget* const before = QApplication::activeModalWidget();
    QStringList texts;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal && QApplication::activeModalWidget() != before)
            modal = QApplication::activeModalWidget();
        if (!modal || seen)
            return;
        seen = true;
        poll.stop();
        auto* menu = qobject_cast<QMenu*>(modal);
        texts = menu ? menuTexts(menu) : visibleTexts(modal);
        if (look)
            look(*modal);
        // A message box closes through its escape button ("Nei"), so the question is declined.
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog && !qobject_cast<QMessageBox*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    poll.start();
    open();
    return texts;
}

} // namespace tavlo::test
