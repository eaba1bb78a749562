#include "window/MainWindow.h"

#include "language/LanguageManager.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"

#include <QShowEvent>

MainWindow::MainWindow(ShellStore &store, RunController &runController, QWidget *parent)
    : QMainWindow(parent), m_store(store), m_runController(runController)
{
    setObjectName(QStringLiteral("main"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Orlenta"));
    setWindowIcon(IconMap::applicationIcon());
    setMinimumSize(760, 520);
    resize(900, 600);
    rebuild();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &MainWindow::rebuild);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    MainWindowManager::shared().setWindow(this);
}

void MainWindow::rebuild()
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("content"));
    setCentralWidget(content); // deletes the previous content
}
