#include "window/OutputPane.h"

#include "language/LanguageManager.h"
#include "run/RunController.h"
#include "ui/BusySpinner.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/TextStyle.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    TextStyle::setTone(line, TextStyle::Tone::quaternary);
    return line;
}
} // namespace

OutputPane::OutputPane(RunController &runController, QWidget *parent)
    : QWidget(parent), m_runController(runController)
{
    setObjectName(QStringLiteral("outputPane"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(separator(this));

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(TextStyle::pixels(16), TextStyle::pixels(9), TextStyle::pixels(16),
                            TextStyle::pixels(9));
    bar->setSpacing(TextStyle::pixels(8));
    m_spinner = new BusySpinner(TextStyle::pixels(14), this);
    m_spinner->setObjectName(QStringLiteral("outputSpinner"));
    bar->addWidget(m_spinner);
    m_status = new ElidedLabel(Qt::ElideRight, this);
    m_status->setObjectName(QStringLiteral("outputStatus"));
    TextStyle::setTone(m_status, TextStyle::Tone::secondary);
    bar->addWidget(m_status, 1);
    m_clear = new QPushButton(this);
    m_clear->setObjectName(QStringLiteral("clearOutput"));
    m_clear->setFont(TextStyle::font(10));
    m_clear->setAutoDefault(false);
    connect(m_clear, &QPushButton::clicked, &m_runController, &RunController::clearOutput);
    bar->addWidget(m_clear);
    column->addLayout(bar);
    column->addWidget(separator(this));

    m_stack = new QStackedWidget(this);
    m_text = new QPlainTextEdit(m_stack);
    m_text->setObjectName(QStringLiteral("outputText"));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setFont(TextStyle::monospace(10));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->document()->setDocumentMargin(TextStyle::pixels(16));
    m_stack->addWidget(m_text);

    m_empty = new QWidget(m_stack);
    m_empty->setObjectName(QStringLiteral("outputEmpty"));
    auto *emptyColumn = new QVBoxLayout(m_empty);
    const int inset = TextStyle::pixels(24);
    emptyColumn->setContentsMargins(inset, inset, inset, inset);
    emptyColumn->setSpacing(TextStyle::pixels(10));
    emptyColumn->addStretch(1);
    auto *emptyIcon = new QLabel(m_empty);
    TextStyle::setTonedSymbol(emptyIcon, QStringLiteral("terminal"), TextStyle::pixels(26),
                              TextStyle::Tone::quaternary);
    emptyColumn->addWidget(emptyIcon, 0, Qt::AlignHCenter);
    auto *emptyText = new QLabel(m_empty);
    m_emptyText = emptyText;
    emptyText->setObjectName(QStringLiteral("outputEmptyText"));
    emptyText->setAlignment(Qt::AlignCenter);
    emptyText->setWordWrap(true);
    emptyText->setFont(TextStyle::font(10));
    TextStyle::setTone(emptyText, TextStyle::Tone::tertiary);
    emptyColumn->addWidget(emptyText);
    emptyColumn->addStretch(1);
    m_stack->addWidget(m_empty);
    column->addWidget(m_stack, 1);

    connect(&m_runController, &RunController::isRunningChanged, this, &OutputPane::followRunning);
    connect(&m_runController, &RunController::currentNodeNameChanged, this,
            &OutputPane::followRunning);
    connect(&m_runController, &RunController::outputChanged, this, &OutputPane::followOutput);
    retranslate();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &OutputPane::retranslate);
    followOutput();
}

void OutputPane::retranslate()
{
    m_clear->setText(LanguageManager::localized(QStringLiteral("清空")));
    m_clear->setAccessibleName(m_clear->text());
    m_text->setAccessibleName(LanguageManager::localized(QStringLiteral("输出")));
    m_emptyText->setText(
        LanguageManager::localized(QStringLiteral("点击「运行」执行脚本，输出会实时显示在这里。")));
    followRunning();
}

void OutputPane::followRunning()
{
    const bool running = m_runController.isRunning();
    m_spinner->setVisible(running);
    if (running) {
        m_status->setFont(TextStyle::font(10));
        m_status->setFullText(LanguageManager::localized(QStringLiteral("运行中：%@"),
                                                         {m_runController.currentNodeName()}));
    } else {
        m_status->setFont(TextStyle::font(11, QFont::DemiBold));
        m_status->setFullText(LanguageManager::localized(QStringLiteral("输出")));
    }
}

void OutputPane::followOutput()
{
    const QString &output = m_runController.output();
    m_clear->setEnabled(!output.isEmpty());
    if (output.isEmpty()) {
        m_shown.clear();
        m_text->clear();
        m_stack->setCurrentWidget(m_empty);
        return;
    }
    if (!m_shown.isEmpty() && output.startsWith(m_shown)) {
        // New text goes in at the end; the reader's place stays where it is.
        QScrollBar *bar = m_text->verticalScrollBar();
        const int position = bar->value();
        QTextCursor end(m_text->document());
        end.movePosition(QTextCursor::End);
        end.insertText(output.mid(m_shown.size()));
        bar->setValue(position);
    } else {
        m_text->setPlainText(output);
    }
    m_shown = output;
    m_stack->setCurrentWidget(m_text);
}
