#pragma once

#include <QMainWindow>

class ContentView;
class SFCLI;
struct TargetEnvironment;

// The application's one window. It has no menu command or shortcut that opens another.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    MainWindow(const SFCLI &cli, const TargetEnvironment &targets, QWidget *parent = nullptr);

    ContentView *contentView() const { return m_content; }

private:
    ContentView *m_content;
};
