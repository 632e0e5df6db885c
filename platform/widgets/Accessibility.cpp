#include "Accessibility.h"

#include "BevelPanel.h"
#include "Gauge.h"
#include "LinkLabel.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWindow>

namespace tavorim {

namespace {

class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(Gauge *gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value ||
            (type == QAccessible::Name && widget()->accessibleName().isEmpty()))
            return gauge()->text();
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return gauge()->progress(); }
    // The pupil's results set it, never a screen reader.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Gauge *gauge() const { return static_cast<Gauge *>(widget()); }
};

class PanelAccessible : public QAccessibleWidget {
public:
    explicit PanelAccessible(BevelPanel *panel) : QAccessibleWidget(panel) {}

    // A panel that holds controls groups them; one that only shows a caption is a text.
    QAccessible::Role role() const override {
        return widget()->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
                   ? QAccessible::Client
                   : QAccessible::StaticText;
    }

    QString text(QAccessible::Text type) const override {
        const QString own = QAccessibleWidget::text(type);
        if (!own.isEmpty())
            return own;
        const QString caption = static_cast<BevelPanel *>(widget())->caption();
        if (type == QAccessible::Name)
            return caption;
        if (type == QAccessible::Description && !widget()->accessibleName().isEmpty())
            return caption;
        return own;
    }
};

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel *link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override {
        const QString own = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && own.isEmpty())
            return static_cast<LinkLabel *>(widget())->text();
        return own;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override {
        if (action == pressAction())
            static_cast<LinkLabel *>(widget())->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

// A menu item with a check mark, said as a check box so that its state is said either way:
// screen readers hear a checkable menu item's state only when it is checked.
class CheckMenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CheckMenuItemAccessible(QAction *action, QMenu *menu) : action_(action), menu_(menu) {}

    bool isValid() const override { return action_ && menu_; }
    QObject *object() const override { return action_; }
    QWindow *window() const override { return menu_ ? menu_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(menu_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Name)
            return QString(action_->text()).remove(QLatin1Char('&'));
        if (type == QAccessible::Accelerator)
            return QKeySequence::mnemonic(action_->text()).toString(QKeySequence::NativeText);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        return menu_->actionGeometry(action_).translated(menu_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !menu_->isVisible() || !action_->isVisible();
        state.focused = menu_->activeAction() == action_;
        state.disabled = !action_->isEnabled();
        state.checkable = true;
        state.checked = action_->isChecked();
        return state;
    }

    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString &action) override {
        if (action_->isEnabled() && (action == pressAction() || action == toggleAction()))
            action_->trigger();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QAction> action_;
    QPointer<QMenu> menu_;
};

QAccessibleInterface *widgetAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("QAction")) {
        auto *action = static_cast<QAction *>(object);
        if (!action->isCheckable() || action->actionGroup())
            return nullptr;
        for (QObject *shown : action->associatedObjects())
            if (auto *menu = qobject_cast<QMenu *>(shown))
                return new CheckMenuItemAccessible(action, menu);
        return nullptr;
    }
    if (className == QLatin1String("tavorim::Gauge"))
        return new GaugeAccessible(static_cast<Gauge *>(object));
    if (className == QLatin1String("tavorim::BevelPanel"))
        return new PanelAccessible(static_cast<BevelPanel *>(object));
    if (className == QLatin1String("tavorim::LinkLabel"))
        return new LinkAccessible(static_cast<LinkLabel *>(object));
    return nullptr;
}

} // namespace

void installWidgetAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(widgetAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tavorim
