#include "window/CommandPreview.h"

#include "run/HandOverText.h"
#include "ui/TextStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

namespace {
constexpr int maxLines = 4;
} // namespace

CommandPreview::CommandPreview(QWidget *parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("commandPreview"));
    setReadOnly(true);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFont(TextStyle::monospace(11));
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(TextStyle::pixels(6));
    setTabChangesFocus(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QStringList CommandPreview::commandLines(const ShellNode &script)
{
    const QString path = script.filePath.value_or(QString());
    const QStringList presets = script.argPresets();
    QStringList lines;
    if (presets.isEmpty())
        lines.append(HandOverText::build(path, std::nullopt).commandLine);
    for (const QString &preset : presets)
        lines.append(HandOverText::build(path, preset).commandLine);
    return lines;
}

void CommandPreview::showScript(const ShellNode &script)
{
    const QString text = commandLines(script).join(u'\n');
    if (text != toPlainText())
        setPlainText(text);
    fit();
}

bool CommandPreview::event(QEvent *event)
{
    // On every resize, before the box lays out its contents.
    if (event->type() == QEvent::Resize)
        fit();
    return QTextEdit::event(event);
}

void CommandPreview::fit()
{
    QTextDocument *document = this->document();
    document->setTextWidth(viewport()->width());
    // The height of the first lines as laid out, so the cut falls between lines.
    qreal lines = 0;
    int counted = 0;
    for (QTextBlock block = document->begin(); block.isValid() && counted <= maxLines;
         block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int i = 0; layout && i < layout->lineCount() && counted <= maxLines; ++i, ++counted)
            if (counted < maxLines)
                lines += layout->lineAt(i).height();
    }
    // With more lines than it shows, the box ends where the next line begins:
    // no half line peeks in below the last whole one.
    const int content = counted > maxLines ? qFloor(lines) + int(document->documentMargin())
                                           : qCeil(document->size().height());
    const int height = content + 2 * frameWidth();
    if (this->height() != height)
        setFixedHeight(height);
}
