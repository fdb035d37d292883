#pragma once

#include <QMainWindow>

#include <QMargins>

#include <memory>
#include <optional>

class ContentView;
class OrgStore;
struct BrowserLocations;

// The application's one window. It has no menu command or shortcut that opens another.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The window over `store`, which it takes over; the module that starts the window builds both
    // (WindowModule.cpp).
    MainWindow(OrgStore *store, std::shared_ptr<const BrowserLocations> browsers, QWidget *parent = nullptr);

    // The process was asked to end: close and quit without the question.
    void quitWithoutAsking();
    // After the event loop: the running CLI commands end (a web login at once, any other within
    // ten seconds) before the process does.
    void finishJobs();

protected:
    // While an action runs, asks first; "Keep Running" is the default.
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    // The window, frame included, within the screen's available area: the content keeps its
    // minimum size and scrolls when the screen is smaller than that.
    void fitToScreen();
    // The window's size, place and split, for the next start.
    void rememberGeometry();

    OrgStore *m_store;
    ContentView *m_content;
    bool m_quitting = false;
    bool m_geometryKept = false;
    std::optional<QMargins> m_fittedFrame;
};
