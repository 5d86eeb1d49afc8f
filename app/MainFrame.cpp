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

#include "app/FrameCommandIds.h"
#include "app/GameCommands.h"
#include "app/LockKeyIndicators.h"
#include "app/MenuResource.h"
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
    for (const MenuResource& resource : MenuBarResource()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(resource.title));
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
    statusBar()->addWidget(m_messagePane, 1);
    m_lockKeys = new CLockKeyIndicators(statusBar());
    statusBar()->setSizeGripEnabled(true);
}

void CMainFrame::ReadSettings() {
    QSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    m_flatMode = settings.value(QStringLiteral("FlatMode"), 1).toInt() != 0;
    m_showGamerBar = settings.value(QStringLiteral("ShowGamerBar"), 0).toInt();
    settings.endGroup();
}

bool CMainFrame::RestorePlacement() {
    QSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    if (!settings.contains(QStringLiteral("IsZoomed"))) {
        return false;  // never saved: the default place stands
    }
    // Read wide and brought into range: a position near the integer limit would overflow.
    auto number = [&settings](const char* name) {
        return settings.value(QLatin1String(name), 0).toLongLong();
    };
    const SavedPlacement saved =
        PlacementFromSaved(number("IsZoomed") != 0, number("LastPosX"), number("LastPosY"),
                           number("LastSizeX"), number("LastSizeY"), number("LastMonitor"));
    if (const std::optional<QRect> rect = RestoredRect(saved, MonitorRects())) {
        setGeometry(*rect);
    }
    return saved.isZoomed;
}

void CMainFrame::WriteSettings() {
    QSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    // The full-screen zoom counts as maximised: the next start shows the window maximised.
    const bool maximised = isMaximized() || m_zoomMode != 0;
    settings.setValue(QStringLiteral("IsZoomed"), maximised ? 1 : 0);
    if (!maximised) {
        const QRect rect = geometry();
        settings.setValue(QStringLiteral("LastPosX"), rect.x());
        settings.setValue(QStringLiteral("LastPosY"), rect.y());
        settings.setValue(QStringLiteral("LastSizeX"), rect.width());
        settings.setValue(QStringLiteral("LastSizeY"), rect.height());
    }
    const QList<QRect> monitors = MonitorRects();
    if (monitors.size() > 1) {
        settings.setValue(QStringLiteral("LastMonitor"), MonitorOf(geometry(), monitors));
    }
    settings.setValue(QStringLiteral("FlatMode"), m_flatMode ? 1 : 0);
    settings.setValue(QStringLiteral("ShowGamerBar"), m_showGamerBar);
    settings.endGroup();
    settings.sync();
    m_settingsWritten = true;
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
        default:
            if (m_commands != nullptr && m_commands->HandlesCommand(id)) {
                m_commands->RunCommand(id);
            }
            break;
    }
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
    const bool wasVisible = isVisible();
    // Changing the window flags hides the window; show it again without taking the focus.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, m_stayOnTop);
    if (wasVisible) {
        show();
    }
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void CMainFrame::ShowMessage(const QString& text) {
    m_messagePane->setText(text.isEmpty() ? IdlePrompt() : text);
}

QString CMainFrame::MessageText() const {
    return m_messagePane->text();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Closing never asks anything: the game has nothing to save but its settings.
    WriteSettings();
    event->accept();
}

}  // namespace kelvandor
