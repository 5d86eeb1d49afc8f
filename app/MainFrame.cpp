#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "app/FrameCommandIds.h"
#include "app/GameCommands.h"
#include "app/LockKeyIndicators.h"
#include "app/MenuResource.h"
#include "app/MenuStyle.h"
#include "app/StayOnTop.h"
#include "app/ToolbarIcons.h"
#include "app/WindowPlacement.h"
#include "dialogs/HelpDialogs.h"

namespace kelvandor {
namespace {

// Command states are refreshed while the program is idle, as often as a user could notice.
constexpr int kIdleUpdateMs = 100;

const char* const kSettingsGroup = "Settings";

QList<QRect> MonitorRects() {
    QList<QRect> monitors;
    for (const QScreen* screen : QGuiApplication::screens()) {
        monitors << screen->geometry();
    }
    return monitors;
}

}  // namespace

CMainFrame::CMainFrame() {
    setGeometry(DefaultRect(MonitorRects()));
    ReadSettings();
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    m_toolBarWasVisible = m_toolBar->isVisibleTo(this);
    m_statusBarWasVisible = statusBar()->isVisibleTo(this);

    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(kIdleUpdateMs);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    m_idleTimer->start();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    if (!m_settingsWritten) {
        WriteSettings();
    }
}

void CMainFrame::SetView(QWidget* viewWindow, IGameCommands* commands) {
    m_commands = commands;
    if (viewWindow != nullptr) {
        setCentralWidget(viewWindow);
        viewWindow->setFocus();
    }
    UpdateCommandStates();
}

void CMainFrame::CreateActions() {
    for (const CommandResource& command : CommandResources()) {
        const QString menuText = CommandMenuText(command);
        auto* action = new QAction(menuText.isEmpty() ? CommandTooltip(command) : menuText, this);
        action->setShortcuts(CommandKeys(command));
        action->setCheckable(IsCheckable(command));
        action->setStatusTip(CommandPrompt(command));
        action->setToolTip(CommandTooltip(command));
        action->setData(command.id);
        const std::uint32_t id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        // Every action belongs to the window itself, so its keys work while the menu bar is
        // away (full-screen zoom) and for commands that have no menu item.
        addAction(action);
        m_actions[id] = action;
    }
}

void CMainFrame::CreateMenus() {
    // The drop-downs draw their items themselves: picture column, keys column, grey tones.
    m_menuStyle = new CMenuStyle;
    m_menuStyle->setParent(this);
    for (const MenuResource& resource : MenuBarResource()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(resource.title));
        menu->setStyle(m_menuStyle);
        for (std::uint32_t id : resource.items) {
            if (id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(Action(id));
            }
        }
        // States must be right the moment a menu opens, not only at the next idle update.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
}

void CMainFrame::CreateToolBars() {
    m_toolBar = addToolBar(QStringLiteral("Symbolleiste"));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    const std::map<std::uint32_t, QIcon> icons = ToolbarIcons();
    for (std::uint32_t id : ToolbarButtons()) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (const auto icon = icons.find(id); icon != icons.end()) {
            action->setIcon(icon->second);
        }
        m_toolBar->addAction(action);
    }
    // Menu items of toolbar commands show the button's picture beside their text (greyed
    // while disabled), so the quiz master finds the same command in both places.
    ApplyToolbarStyle();
}

void CMainFrame::CreateStatusBar() {
    m_messagePane = new QLabel(IdlePrompt(), this);
    // Texts come from prompts and from other programs: shown as they are, never as markup.
    m_messagePane->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_messagePane, 1);
    m_lockKeys = new CLockKeyIndicators(statusBar());
    statusBar()->setSizeGripEnabled(true);
}

void CMainFrame::ReadSettings() {
    QSettings& settings = Settings();
    settings.beginGroup(QLatin1String(kSettingsGroup));
    m_flatMode = settings.value(QStringLiteral("FlatMode"), 1).toInt() != 0;
    m_showGamerBar = settings.value(QStringLiteral("ShowGamerBar"), 0).toInt();
    settings.endGroup();
}

bool CMainFrame::RestorePlacement() {
    QSettings& settings = Settings();
    settings.beginGroup(QLatin1String(kSettingsGroup));
    if (!settings.contains(QStringLiteral("IsZoomed"))) {
        settings.endGroup();
        return false;  // never saved: the default place stands
    }
    // Read wide and brought into range: a position near the integer limit would overflow.
    auto number = [&settings](const char* name) {
        return settings.value(QLatin1String(name), 0).toLongLong();
    };
    const SavedPlacement saved =
        PlacementFromSaved(number("IsZoomed") != 0, number("LastPosX"), number("LastPosY"),
                           number("LastSizeX"), number("LastSizeY"), number("LastMonitor"));
    settings.endGroup();
    const QList<QRect> monitors = MonitorRects();
    if (const std::optional<QRect> rect = RestoredRect(saved, monitors)) {
        // The screens may have changed since: a size saved on a larger one is fitted.
        const QList<QScreen*> screens = QGuiApplication::screens();
        const int monitor = std::max(MonitorOf(*rect, monitors), 0);
        const QRect available =
            monitor < screens.size() ? screens[monitor]->availableGeometry() : QRect();
        const QRect fitted = FitToScreen(*rect, available);
        setGeometry(fitted);
        // The window manager's frame is known only once the window is shown; then the
        // fitted window is made to fit with it.
        m_fitFramePending = fitted != *rect;
    }
    return saved.isZoomed;
}

SavedPlacement CMainFrame::CurrentPlacement() const {
    SavedPlacement placement;
    // The full-screen zoom counts as maximised: the next start shows the window maximised.
    placement.isZoomed = isMaximized() || m_zoomMode != 0;
    placement.rect = geometry();
    const QList<QRect> monitors = MonitorRects();
    placement.monitor = monitors.size() > 1 ? MonitorOf(geometry(), monitors) : -1;
    return placement;
}

void CMainFrame::WriteSettings() {
    QSettings& settings = Settings();
    settings.beginGroup(QLatin1String(kSettingsGroup));
    const SavedPlacement placement = m_closedPlacement.value_or(CurrentPlacement());
    settings.setValue(QStringLiteral("IsZoomed"), placement.isZoomed ? 1 : 0);
    if (!placement.isZoomed) {
        settings.setValue(QStringLiteral("LastPosX"), placement.rect.x());
        settings.setValue(QStringLiteral("LastPosY"), placement.rect.y());
        settings.setValue(QStringLiteral("LastSizeX"), placement.rect.width());
        settings.setValue(QStringLiteral("LastSizeY"), placement.rect.height());
    }
    if (placement.monitor >= 0) {
        settings.setValue(QStringLiteral("LastMonitor"), placement.monitor);
    }
    settings.setValue(QStringLiteral("FlatMode"), m_flatMode ? 1 : 0);
    settings.setValue(QStringLiteral("ShowGamerBar"), m_showGamerBar);
    settings.endGroup();
    m_settingsWritten = true;
}

QSettings& CMainFrame::Settings() {
    if (!m_settings) {
        m_settings = std::make_unique<QSettings>();
    }
    return *m_settings;
}

void CMainFrame::AddStatusPane(QWidget* pane) {
    // Index 1: after the message pane, the one normal widget of the bar.
    statusBar()->insertPermanentWidget(1, pane);
}

QAction* CMainFrame::Action(std::uint32_t id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

bool CMainFrame::IsFrameCommand(std::uint32_t id) const {
    switch (static_cast<FrameCommandId>(id)) {
        case FrameCommandId::FullScreen:
        case FrameCommandId::StayOnTop:
        case FrameCommandId::FlatToolbar:
        case FrameCommandId::ViewToolbar:
        case FrameCommandId::ViewStatusBar:
        case FrameCommandId::Exit:
        case FrameCommandId::About:
        case FrameCommandId::KeyHelp:
        case FrameCommandId::FileFormatHelp:
        case FrameCommandId::ModeratorWindow:
            return true;
        default:
            return false;
    }
}

void CMainFrame::ExecuteCommand(std::uint32_t id) {
    switch (static_cast<FrameCommandId>(id)) {
        case FrameCommandId::FullScreen:
            ToggleFullScreen();
            break;
        case FrameCommandId::StayOnTop:
            ToggleStayOnTop();
            break;
        case FrameCommandId::FlatToolbar:
            ToggleFlatToolbar();
            break;
        case FrameCommandId::ViewToolbar:
            m_toolBar->setVisible(!m_toolBar->isVisibleTo(this));
            break;
        case FrameCommandId::ViewStatusBar:
            statusBar()->setVisible(!statusBar()->isVisibleTo(this));
            break;
        case FrameCommandId::Exit:
            close();
            break;
        case FrameCommandId::About:
            ShowAboutBox(this);
            break;
        case FrameCommandId::KeyHelp:
            ShowKeyHelp(this);
            break;
        case FrameCommandId::FileFormatHelp:
            ShowFileFormatHelp(this);
            break;
        case FrameCommandId::ModeratorWindow:
            if (m_toggleModerator) {
                m_toggleModerator();
            }
            break;
        default:
            if (m_commands != nullptr && m_commands->HandlesCommand(id)) {
                m_commands->RunCommand(id);
            }
            break;
    }
    UpdateCommandStates();
}

void CMainFrame::SetModeratorWindowToggle(std::function<void()> toggle,
                                          std::function<bool()> shown) {
    m_toggleModerator = std::move(toggle);
    m_moderatorShown = std::move(shown);
    UpdateCommandStates();
}

void CMainFrame::PostCommand(std::uint32_t id) {
    QMetaObject::invokeMethod(
        this, [this, id] { ExecuteCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::UpdateCommandStates() {
    for (auto& [id, action] : m_actions) {
        bool enabled = true;
        bool checked = false;
        switch (static_cast<FrameCommandId>(id)) {
            case FrameCommandId::FlatToolbar:
                checked = m_flatMode;
                break;
            case FrameCommandId::StayOnTop:
                checked = m_stayOnTop;
                break;
            case FrameCommandId::ViewToolbar:
                checked = m_toolBar->isVisibleTo(this);
                break;
            case FrameCommandId::ViewStatusBar:
                checked = statusBar()->isVisibleTo(this);
                break;
            case FrameCommandId::ModeratorWindow:
                enabled = static_cast<bool>(m_toggleModerator);
                checked = m_moderatorShown && m_moderatorShown();
                break;
            default:
                if (!IsFrameCommand(id) && m_commands != nullptr &&
                    m_commands->HandlesCommand(id)) {
                    enabled = m_commands->IsCommandEnabled(id);
                    checked = m_commands->IsCommandChecked(id);
                }
                break;
        }
        if (action->isEnabled() != enabled) {
            action->setEnabled(enabled);
        }
        if (action->isCheckable() && action->isChecked() != checked) {
            action->setChecked(checked);
        }
    }
}

void CMainFrame::ToggleFullScreen() {
    if (m_zoomMode == 0) {
        m_zoomMode = isMaximized() ? 2 : 1;
        m_statusBarWasVisible = statusBar()->isVisibleTo(this);
        m_toolBarWasVisible = m_toolBar->isVisibleTo(this);
        statusBar()->hide();
        m_toolBar->hide();
        menuBar()->hide();
        showFullScreen();
    } else {
        if (m_statusBarWasVisible) {
            statusBar()->show();
        }
        if (m_toolBarWasVisible) {
            m_toolBar->show();
        }
        menuBar()->show();
        if (m_zoomMode == 2) {
            showMaximized();
        } else {
            showNormal();
        }
        m_zoomMode = 0;
    }
    if (m_commands != nullptr) {
        m_commands->SetZoomMode(m_zoomMode);
    }
}

void CMainFrame::ToggleFlatToolbar() {
    m_flatMode = !m_flatMode;
    ApplyToolbarStyle();
}

void CMainFrame::ApplyToolbarStyle() {
    // A flat toolbar raises its buttons only under the pointer; a raised one always shows them.
    for (QAction* action : m_toolBar->actions()) {
        if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(action))) {
            button->setAutoRaise(m_flatMode);
        }
    }
    m_toolBar->update();
}

void CMainFrame::ToggleStayOnTop() {
    m_stayOnTop = !m_stayOnTop;
    SetStaysOnTop(*this, m_stayOnTop);
}

void CMainFrame::ShowMessage(const QString& text) {
    m_messagePane->setText(text.isEmpty() ? IdlePrompt() : text);
}

void CMainFrame::SetPaneText(std::uint32_t pane, const QString& text) {
    if (pane == 0) {
        m_messagePane->setText(text);
        m_messagePane->repaint();
    } else if (pane <= 3) {
        m_lockKeys->SetPaneText(static_cast<int>(pane) - 1, text);
    }
}

QString CMainFrame::MessageText() const {
    return m_messagePane->text();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    const bool handled = QMainWindow::event(event);
    // The frame is known at the latest when the window first paints after being mapped.
    if (m_fitFramePending && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                              event->type() == QEvent::Paint)) {
        FitFrameToScreen();
    }
    return handled;
}

void CMainFrame::FitFrameToScreen() {
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull() || windowState() != Qt::WindowNoState) {
        return;  // no frame yet, or the window manager places the window itself
    }
    m_fitFramePending = false;
    const QRect fitted = FitToScreen(geometry(), screen()->availableGeometry(), frame);
    if (fitted != geometry()) {
        setGeometry(fitted);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Closing never asks anything: the game has nothing to save but its settings. The window
    // goes at once; its placement is written with the other settings as the program ends.
    m_closedPlacement = CurrentPlacement();
    event->accept();
}

}  // namespace kelvandor
