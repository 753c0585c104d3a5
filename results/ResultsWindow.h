#pragma once
// The results window: the person strip, the age group and domain lists, and the report in
// a scrolling view, with back, change, print, copy and save as a document.

#include "app/Screen.h"

class QComboBox;
class QScrollBar;

namespace tavlo {

struct AppContext;

// The last item of the domain list: the profile of the scaled scores instead of the report.
inline constexpr int kProfileItem = 7;

// The scrolling drawing area of the report: lines of 10 units.
class ReportView : public QWidget {
    Q_OBJECT
public:
    ReportView(AppContext& context, QWidget* parent);

    int scrollPos() const { return m_pos; }
    int scrollTotal() const { return m_total; }
    int page() const;
    void setDomain(int domain); // 0 all, 1-6 one, kProfileItem the profile; back to the top
    int domain() const { return m_domain; }

    // The scroll requests of the view: the wanted change d in lines, cut to the report.
    enum class Request { LineUp, LineDown, PageUp, PageDown, Top, Bottom, WheelUp, WheelDown, Thumb };
    void scroll(Request request, int thumb = 0);

signals:
    void tabPressed(bool backwards);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect drawingArea() const;

    AppContext& m_context;
    QScrollBar* m_bar;
    int m_pos = 0;
    int m_total = 0;
    int m_domain = 0;
};

class ResultsWindow : public Screen {
    Q_OBJECT
public:
    explicit ResultsWindow(MainWindow& main);
    ~ResultsWindow() override;
    int state() const override { return kResultsWindow; }
    QRect logoArea() const override;
    bool command(int id) override;

    ReportView* view() const { return m_view; }
    QComboBox* ageGroupList() const { return m_ageGroups; }
    QComboBox* domainList() const { return m_domains; }

    // Puts the shown domains on the clipboard as a table (HTML and tab-separated lines), or
    // the profile as a picture.
    void copyShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void close();
    void describeView();

    ReportView* m_view;
    QComboBox* m_ageGroups;
    QComboBox* m_domains;
};

} // namespace tavlo
