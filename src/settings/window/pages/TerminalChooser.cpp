#include "settings/window/pages/TerminalChooser.h"

#include "language/LanguageManager.h"
#include "run/ShellRunner.h"
#include "run/ShellWords.h"
#include "run/TerminalBackEnd.h"
#include "run/TerminalCatalogue.h"
#include "run/TerminalTrial.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/SettingsServices.h"
#include "ui/Layouts.h"
#include "ui/TextStyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Layouts;

namespace {

const QLatin1StringView customTerminal{"custom"};

} // namespace

TerminalChooser::TerminalChooser(const SettingsServices &services, QWidget *parent)
    : Card(LanguageManager::localized(QStringLiteral("终端")), parent),
      m_preferences(services.preferencesOrStandard()), m_backEnd(services.terminalBackEnd),
      m_environment(services.environment), m_scratchFolder(services.scratchFolder)
{
    setObjectName(QStringLiteral("terminalCard"));
    m_choice = new QComboBox(this);
    m_choice->setObjectName(QStringLiteral("terminalChoice"));
    m_choice->setAccessibleName(LanguageManager::localized(QStringLiteral("终端")));
    m_choice->setToolTip(LanguageManager::localized(QStringLiteral("脚本在哪个终端程序中运行")));
    m_choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_choice->setMinimumContentsLength(16);
    connect(m_choice, &QComboBox::activated, this, &TerminalChooser::chosen);
    addWidget(m_choice);

    m_command = new QLineEdit(this);
    m_command->setObjectName(QStringLiteral("terminalCommand"));
    m_command->setAccessibleName(LanguageManager::localized(QStringLiteral("自定义终端命令")));
    m_command->setPlaceholderText(QStringLiteral("xterm -e {command}"));
    connect(m_command, &QLineEdit::editingFinished, this, &TerminalChooser::storeCustomCommand);
    addWidget(m_command);
    // clang-format off
    m_help = secondary(LanguageManager::localized(QStringLiteral("用 {command} 标出要运行的命令；没有 {command} 时，命令跟在 -e 之后。")), this);
    // clang-format on
    addWidget(m_help);

    addDivider();
    m_tryButton = symbolButton(QStringLiteral("play.fill"),
                               LanguageManager::localized(QStringLiteral("试一试")), this);
    m_tryButton->setObjectName(QStringLiteral("tryTerminal"));
    m_tryButton->setToolTip(
        LanguageManager::localized(QStringLiteral("在所选终端中运行一条无害的测试命令")));
    connect(m_tryButton, &QPushButton::clicked, this, &TerminalChooser::tryIt);
    m_tryResult = secondary(QString(), this);
    m_tryResult->setObjectName(QStringLiteral("tryResult"));
    m_tryResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *tryRow = new QHBoxLayout;
    tryRow->setSpacing(10);
    tryRow->addWidget(m_tryButton, 0, Qt::AlignTop);
    tryRow->addWidget(m_tryResult, 1);
    body()->addLayout(tryRow);

    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (PreferenceKeys::terminal.is(key))
            refresh();
    });
    refresh();
}

void TerminalChooser::refresh()
{
    const std::optional<QString> stored = PreferenceKeys::terminal.read(m_preferences);
    m_choice->clear();
    const TerminalChoice automatic = TerminalCatalogue::choose(std::nullopt, m_environment);
    m_choice->addItem(automatic.terminal
                          ? LanguageManager::localized(QStringLiteral("自动（现在是 %@）"),
                                                       {automatic.terminal->displayName()})
                          : LanguageManager::localized(QStringLiteral("自动（未找到可用的终端）")),
                      QString(PreferenceKeys::terminal.automaticText));
    for (const QString &id : TerminalCatalogue::installedIDs(m_environment))
        m_choice->addItem(id, id);
    const bool isAutomatic = !stored;
    const bool isListed = !isAutomatic && m_choice->findData(*stored) >= 0;
    const bool isCustom = !isAutomatic && !isListed;
    m_choice->addItem(LanguageManager::localized(QStringLiteral("自定义命令…")),
                      QString(customTerminal));
    m_choice->setCurrentIndex(isAutomatic ? 0
                              : isListed  ? m_choice->findData(*stored)
                                          : m_choice->count() - 1);
    if (isCustom)
        m_command->setText(*stored);
    m_command->setVisible(isCustom || m_choice->currentData() == customTerminal);
    m_help->setVisible(m_command->isVisibleTo(m_command->parentWidget()));
}

void TerminalChooser::chosen(int index)
{
    const QString value = m_choice->itemData(index).toString();
    if (value == customTerminal) {
        m_command->setVisible(true);
        m_help->setVisible(true);
        m_command->setFocus();
        if (!m_command->text().trimmed().isEmpty())
            storeCustomCommand();
        return;
    }
    m_command->clear();
    PreferenceKeys::terminal.write(m_preferences, PreferenceKeys::terminal.fromRaw(value));
}

void TerminalChooser::storeCustomCommand()
{
    const QString text = m_command->text().trimmed();
    if (text.isEmpty())
        return;
    if (!ShellWords::split(text)) {
        m_tryResult->setText(LanguageManager::localized(QStringLiteral("命令中的引号没有配对。")));
        return;
    }
    if (PreferenceKeys::terminal.read(m_preferences) != text)
        PreferenceKeys::terminal.write(m_preferences, text);
}

void TerminalChooser::tryIt()
{
    if (!m_trial) {
        std::unique_ptr<TerminalBackEnd> backEnd = m_backEnd ? m_backEnd() : nullptr;
        m_trialRunner = new ShellRunner(std::move(backEnd), &m_preferences, this);
        m_trial = new TerminalTrial(*m_trialRunner, m_scratchFolder, this);
        connect(m_trial, &TerminalTrial::finished, this, [this](int status, const QString &line) {
            m_tryButton->setEnabled(true);
            // A failure in the destructive red; a later success in the usual grey.
            TextStyle::setTone(m_tryResult, TextStyle::Tone::destructive);
            m_tryResult->setForegroundRole(status != 0 ? QPalette::WindowText
                                                       : QPalette::PlaceholderText);
            m_tryResult->setText(
                status == 0 ? LanguageManager::localized(QStringLiteral("成功：%@"), {line})
                            : LanguageManager::localized(QStringLiteral("失败：%@"), {line}));
        });
    }
    if (m_command->isVisible())
        storeCustomCommand();
    m_tryButton->setEnabled(false);
    m_tryResult->setPalette(QPalette());
    m_tryResult->setForegroundRole(QPalette::PlaceholderText);
    m_tryResult->setText(LanguageManager::localized(QStringLiteral("正在交给终端…")));
    m_trial->start();
}
