#include "HelpPage.h"

#include "HelpChmArchive.h"
#include "HelpViewerWindow.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace tavorim {

namespace {

// A read-only document with a caret: the text interface QTextBrowser's own lacks for lines.
class PageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PageAccessible(HelpPage *page) : QAccessibleWidget(page, QAccessible::Document) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    void selection(int index, int *start, int *end) const override {
        const QTextCursor cursor = page()->textCursor();
        *start = *end = 0;
        if (index == 0 && cursor.hasSelection()) {
            *start = cursor.selectionStart();
            *end = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return page()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            setCursorPosition(cursorPosition());
    }
    void setSelection(int index, int start, int end) override {
        if (index != 0)
            return;
        QTextCursor cursor = cursorAt(start);
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        page()->setTextCursor(cursor);
    }

    int cursorPosition() const override { return page()->textCursor().position(); }
    void setCursorPosition(int position) override { page()->setTextCursor(cursorAt(position)); }
    int characterCount() const override { return page()->document()->characterCount() - 1; }

    QString text(int start, int end) const override {
        QTextCursor cursor = cursorAt(start);
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        QString text = cursor.selectedText();
        // Paragraph, line and table cell breaks read as line ends, and a picture as a space
        // rather than an unnamed object; one character each, so offsets stay the document's.
        for (QChar &c : text) {
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QChar(0xFDD0) ||
                c == QChar(0xFDD1))
                c = QLatin1Char('\n');
            else if (c == QChar::ObjectReplacementCharacter)
                c = QLatin1Char(' ');
        }
        return text;
    }

    // Lines as the page shows them, each with the line end that closes its paragraph, so that
    // the lines of the page follow one another without gap.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                         int *end) const override {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
        lineAt(offset, start, end);
        return text(*start, *end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                             int *end) const override {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textBeforeOffset(offset, type, start, end);
        lineAt(offset, start, end);
        if (*start == 0) {
            *end = 0;
            return {};
        }
        lineAt(*start - 1, start, end);
        return text(*start, *end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                            int *end) const override {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAfterOffset(offset, type, start, end);
        lineAt(offset, start, end);
        if (*end >= characterCount()) {
            *start = *end = characterCount();
            return {};
        }
        lineAt(*end, start, end);
        return text(*start, *end);
    }

    QRect characterRect(int offset) const override {
        QTextCursor cursor = cursorAt(offset);
        QRect rect = page()->cursorRect(cursor);
        cursor.movePosition(QTextCursor::NextCharacter);
        const QRect next = page()->cursorRect(cursor);
        if (next.top() == rect.top() && next.left() > rect.left())
            rect.setRight(next.left() - 1);
        return QRect(page()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint &point) const override {
        return page()->cursorForPosition(page()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override {
        const QRect rect = page()->cursorRect(cursorAt(start));
        if (!page()->viewport()->rect().contains(rect))
            page()->verticalScrollBar()->setValue(page()->verticalScrollBar()->value() +
                                                  rect.top());
    }
    QString attributes(int, int *start, int *end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    HelpPage *page() const { return static_cast<HelpPage *>(widget()); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
    QTextCursor cursorAt(int offset) const {
        QTextCursor cursor(page()->document());
        cursor.setPosition(clamped(offset));
        return cursor;
    }

    void lineAt(int offset, int *start, int *end) const {
        const QTextBlock block = page()->document()->findBlock(clamped(offset));
        const QTextLayout *layout = block.layout();
        const QTextLine line =
            layout ? layout->lineForTextPosition(clamped(offset) - block.position()) : QTextLine();
        const bool last = !line.isValid() || line.lineNumber() == layout->lineCount() - 1;
        *start = block.position() + (line.isValid() ? line.textStart() : 0);
        // A line keeps its trailing spaces, and the last of a paragraph its line end.
        *end = last ? block.position() + block.length()
                    : block.position() + line.textStart() + line.textLength();
        *end = std::min(*end, characterCount());
    }
};

QAccessibleInterface *pageAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("tavorim::HelpPage"))
        return new PageAccessible(static_cast<HelpPage *>(object));
    return nullptr;
}

// The factory is this module's code: it is withdrawn with the last page, before the module can
// be unloaded.
int livePages = 0;

} // namespace

HelpPage::HelpPage(const ChmArchive &archive, QWidget *parent)
    : QTextBrowser(parent), archive_(archive) {
    if (livePages++ == 0)
        QAccessible::installFactory(pageAccessible);
    // The caret moves with the arrows as well as from link to link.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
}

HelpPage::~HelpPage() {
    if (--livePages == 0)
        QAccessible::removeFactory(pageAccessible);
}

bool HelpPage::has(const std::string &archivePath) const {
    return archive_.read(archivePath).has_value();
}

QVariant HelpPage::loadResource(int type, const QUrl &name) {
    const QString scheme = name.scheme();
    if (!scheme.isEmpty() && scheme != QLatin1String("ms-its") && scheme != QLatin1String("mk"))
        return {};
    const QUrl resolved = name.isRelative() && !name.path().startsWith(QLatin1Char('/'))
                              ? source().resolved(name)
                              : name;
    const auto bytes = archive_.read(archivePathFromLocal(resolved.path().toStdString()));
    if (!bytes)
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return HelpViewerWindow::decodeText(*bytes);
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

} // namespace tavorim
