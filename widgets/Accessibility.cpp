#include "Accessibility.h"

#include "BevelPanel.h"
#include "Gauge.h"
#include "LinkLabel.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
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

// A checkable menu item is said as a check box, since screen readers hear a menu item's state only
// when checked; Qt's own menu knows only its own items, so the menu is ours too.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuItemAccessible(QAction *action, QMenu *menu) : action_(action), menu_(menu) {}

    bool isValid() const override { return action_ && menu_; }
    QObject *object() const override { return action_; }
    QWindow *window() const override { return menu_ ? menu_->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(menu_.data());
    }
    QAccessibleInterface *child(int index) const override {
        return index == 0 && action_->menu()
                   ? QAccessible::queryAccessibleInterface(action_->menu())
                   : nullptr;
    }
    int childCount() const override { return action_->menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface *child) const override {
        return child && action_->menu() && child->object() == action_->menu() ? 0 : -1;
    }
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
    QAccessible::Role role() const override {
        if (action_->isSeparator())
            return QAccessible::Separator;
        return action_->isCheckable() ? QAccessible::CheckBox : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !menu_->isVisible() || !action_->isVisible();
        state.focused = menu_->activeAction() == action_;
        state.disabled = action_->isSeparator() || !action_->isEnabled();
        state.checkable = action_->isCheckable();
        state.checked = action_->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        if (action_->isSeparator())
            return {};
        if (action_->menu())
            return {showMenuAction()};
        if (action_->isCheckable())
            return {pressAction(), toggleAction()};
        return {pressAction()};
    }
    void doAction(const QString &name) override {
        if (!action_->isEnabled())
            return;
        if (name == showMenuAction())
            menu_->setActiveAction(action_);
        else if (name == pressAction() || name == toggleAction())
            action_->trigger();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QAction> action_;
    QPointer<QMenu> menu_;
};

class MenuAccessible : public QAccessibleWidget {
public:
    explicit MenuAccessible(QMenu *menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    int childCount() const override { return int(menu()->actions().size()); }
    QAccessibleInterface *child(int index) const override {
        const auto actions = menu()->actions();
        return index >= 0 && index < actions.size()
                   ? QAccessible::queryAccessibleInterface(actions.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        return child ? int(menu()->actions().indexOf(qobject_cast<QAction *>(child->object())))
                     : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        QAction *action = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
        return action && !action->isSeparator() ? QAccessible::queryAccessibleInterface(action)
                                                : nullptr;
    }
    QString text(QAccessible::Text type) const override {
        const QString own = QAccessibleWidget::text(type);
        return own.isEmpty() && type == QAccessible::Name ? menu()->windowTitle() : own;
    }
    // The item of the menu bar, or of the menu, that opens this menu.
    QAccessibleInterface *parent() const override {
        QAction *opening = menu()->menuAction();
        const auto shownIn = opening->associatedObjects();
        for (QObject *object : shownIn) {
            auto *widget = qobject_cast<QWidget *>(object);
            if (widget && widget != menu() &&
                (qobject_cast<QMenuBar *>(widget) || qobject_cast<QMenu *>(widget)))
                if (QAccessibleInterface *owner = QAccessible::queryAccessibleInterface(widget))
                    return owner->child(int(widget->actions().indexOf(opening)));
        }
        return QAccessibleWidget::parent();
    }

private:
    QMenu *menu() const { return static_cast<QMenu *>(widget()); }
};

QAccessibleInterface *widgetAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("QMenu"))
        return new MenuAccessible(static_cast<QMenu *>(object));
    if (className == QLatin1String("QAction")) {
        auto *action = static_cast<QAction *>(object);
        const auto shownIn = action->associatedObjects();
        for (QObject *shown : shownIn)
            if (auto *menu = qobject_cast<QMenu *>(shown))
                return new MenuItemAccessible(action, menu);
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
