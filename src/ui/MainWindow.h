#pragma once

#include <QMainWindow>

#include <memory>

class SFCLI;
struct BrowserLocations;

// The application's one window. It has no menu command or shortcut that opens another.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    MainWindow(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
               QWidget *parent = nullptr);
};
