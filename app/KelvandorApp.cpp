#include "app/KelvandorApp.h"

#include <cstdio>
#include <iostream>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWidget>

#include "app/CommandLine.h"
#include "app/ControlServer.h"
#include "app/FrameCommandIds.h"
#include "app/MainFrame.h"
#include "app/ModeratorWindow.h"
#include "app/ShowKeeper.h"
#include "app/StatusPanes.h"
#include "app/TerminationSignals.h"
#include "app/ToolbarIcons.h"
#include "app/ViewWindow.h"
#include "control/ControlSocket.h"
#include "settings/SettingsFile.h"

namespace kelvandor {

CKelvandorApp::CKelvandorApp() = default;

CKelvandorApp::~CKelvandorApp() {
    m_moderator.reset();
    m_control.reset();
    m_signals.reset();
    if (m_qtTranslation) {
        QCoreApplication::removeTranslator(m_qtTranslation.get());
    }
    if (m_show) {
        // A normal end: the journal loses its running mark while the view still stands.
        m_show->Finish();
        m_show.reset();
    }
    if (m_frame) {
        // The frame's settings are put down first; the view's follow when it goes, and the
        // settings file is then written once for both.
        m_frame->WriteSettings();
        // The view goes first and on its own, while the frame still stands, as closing the
        // window would take it down.
        m_frame->SetView(nullptr, nullptr);
        delete m_view;
        m_view = nullptr;
        m_frame.reset();
    }
}

namespace {

// The folder given by UseSettingsFolder, empty for the user's configuration folder.
QString& SettingsFolder() {
    static QString folder;
    return folder;
}

void PointSettingsAt(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace

void CKelvandorApp::UseSettingsFolder(const QString& folder) {
    SettingsFolder() = folder;
    PointSettingsAt(folder.isEmpty()
                        ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                        : folder);
}

void CKelvandorApp::SetSettingsHome() {
    QCoreApplication::setOrganizationName(QStringLiteral("XQ"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvandor"));
    // Checked by name before QSettings opens it: QSettings reads the whole file as it is made.
    const QString folder =
        SettingsFolder().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : SettingsFolder();
    const QString file = folder + QStringLiteral("/XQ/Kelvandor.conf");
    const SettingsFileCheck check = SetAsideUnusableSettingsFile(file.toStdString());
    if (!check.warning.empty()) {
        std::fprintf(stderr, "%s\n", check.warning.c_str());
    }
    if (!check.usable) {
        // Neither read nor overwritten: this run keeps its settings in a folder of its own.
        static QTemporaryDir fallback;
        PointSettingsAt(fallback.path());
    }
}

bool CKelvandorApp::InitInstance(const std::vector<std::string>& arguments) {
    SetSettingsHome();
    InstallQtTranslation();
    QApplication::setWindowIcon(ProgramIcon());

    // The new-document step: frame, view (which reads its settings) and document.
    m_frame = std::make_unique<CMainFrame>();
    m_view = new CViewWindow(m_frame.get());
    m_frame->SetView(m_view, m_view->Commands());
    if (!m_document.OnNewDocument(m_view != nullptr)) {
        return false;
    }
    m_frame->setWindowTitle(m_document.WindowTitle());
    AddShowPanes(*m_frame, *m_view);

    const std::vector<CommandLineAction> actions =
        ParseCommandLine(arguments, PlatformSlashStartsOption());
    // A puzzle root from the command line is taken before the view starts, so that a first
    // run that names one on the command line is not asked for one as well.
    CShowKeeper::StartOptions show;
    bool openModerator = false;
    for (const CommandLineAction& action : actions) {
        if (action.kind == CommandLineAction::Kind::PuzzlePath) {
            m_view->TakeCommandLinePath(action.path);
            show.keepRootFromCommandLine = true;
        } else if (action.kind == CommandLineAction::Kind::RestoreShow) {
            show.restoreWithoutAsking = true;
        } else if (action.kind == CommandLineAction::Kind::ModeratorWindow) {
            openModerator = true;
        }
    }
    // A show that did not end is taken over before the view starts, so that its puzzle root
    // counts as known.
    m_show = std::make_unique<CShowKeeper>(*m_frame, *m_view, DefaultShowPaths());
    m_show->Start(show);
    m_view->Create();

    if (m_frame->RestorePlacement()) {
        m_frame->showMaximized();
    } else {
        m_frame->show();
    }
    m_frame->repaint();
    m_frame->SetModeratorWindowToggle([this] { ToggleModeratorWindow(); },
                                      [this] { return m_moderator && m_moderator->isVisible(); });

    m_signals = std::make_unique<CTerminationSignals>([this] { RequestClose(); });
    // The zoom is posted: it happens once the event loop runs, after start-up.
    for (const CommandLineAction& action : actions) {
        if (action.kind == CommandLineAction::Kind::ToggleZoom) {
            m_frame->PostCommand(static_cast<std::uint32_t>(FrameCommandId::FullScreen));
        }
    }
    if (openModerator) {
        // After the zooms of "-z": the game goes full screen for the quiz master's screen
        // only when it is not already.
        m_frame->PostCommand(static_cast<std::uint32_t>(FrameCommandId::ModeratorWindow));
    }
    StartControlServer();
    return true;
}

void CKelvandorApp::ToggleModeratorWindow() {
    if (m_moderator && m_moderator->isVisible()) {
        m_moderator->hide();
        return;
    }
    if (!m_moderator) {
        m_moderator = std::make_unique<CModeratorWindow>(*m_view, *m_frame);
        // Closing the game window ends the program even while this window is open.
        m_moderator->setAttribute(Qt::WA_QuitOnClose, false);
    }
    if (m_moderator->PlaceBeside(*m_frame) && m_frame->ZoomMode() == 0) {
        // With a screen of its own for the quiz master, the game takes all of its screen.
        m_frame->ExecuteCommand(static_cast<std::uint32_t>(FrameCommandId::FullScreen));
    }
    m_moderator->show();
}

void CKelvandorApp::InstallQtTranslation() {
    // The program speaks German, whatever the desktop's language: so do Qt's own dialogs
    // (the folder picker above all). Without the translations installed they stay English.
    m_qtTranslation = std::make_unique<QTranslator>();
    if (m_qtTranslation->load(QStringLiteral("qtbase_de"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(m_qtTranslation.get());
    } else {
        m_qtTranslation.reset();
    }
}

void CKelvandorApp::StartControlServer() {
    m_control = std::make_unique<CControlServer>(static_cast<IControlTarget&>(*this));
    const std::string path = DefaultControlSocketPath();
    if (!m_control->Listen(path)) {
        // The game runs on without it; another program simply does not find this instance.
        std::cerr << "kelvandor: no control socket: " << m_control->ErrorText().toStdString()
                  << "\n";
        m_control.reset();
    }
}

bool CKelvandorApp::PostExit() {
    // As "Beenden" from the menu, once the request has been answered; open dialogs are
    // cancelled first, as for a termination signal.
    return QMetaObject::invokeMethod(
        m_frame.get(), [this] { RequestClose(); }, Qt::QueuedConnection);
}

std::string CKelvandorApp::DocumentPath() {
    return QFile::encodeName(m_document.PathName()).toStdString();
}

bool CKelvandorApp::OpenDocument(const std::string& fullPath) {
    if (!m_document.OnOpenDocument(QFile::decodeName(fullPath.c_str()), m_view != nullptr)) {
        return false;
    }
    m_frame->setWindowTitle(m_document.WindowTitle());
    return true;
}

void CKelvandorApp::SetStatusText(std::uint32_t pane, const std::string& text) {
    m_frame->SetPaneText(pane, QString::fromStdString(text));
}

void CKelvandorApp::RequestClose() {
    // Modal dialogs are closed first (as cancelled), so that the command that opened one
    // finishes before the window goes.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        if (modal == QApplication::activeModalWidget()) {
            break;
        }
    }
    if (m_frame) {
        m_frame->close();
    }
}

}  // namespace kelvandor
