#include "app/KelvandorApp.h"

#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include "app/CommandLine.h"
#include "app/FrameCommandIds.h"
#include "app/MainFrame.h"
#include "app/RemoteStatusPane.h"
#include "app/TerminationSignals.h"
#include "app/ToolbarIcons.h"
#include "app/ViewWindow.h"
#include "settings/SettingsFile.h"

namespace kelvandor {

CKelvandorApp::CKelvandorApp() = default;

CKelvandorApp::~CKelvandorApp() {
    m_signals.reset();
    if (m_frame) {
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
    QApplication::setWindowIcon(ProgramIcon());

    // The new-document step: frame, view (which reads its settings) and document.
    m_frame = std::make_unique<CMainFrame>();
    m_view = new CViewWindow(m_frame.get());
    m_frame->SetView(m_view, m_view->Commands());
    if (!m_document.OnNewDocument(m_view != nullptr)) {
        return false;
    }
    m_frame->setWindowTitle(m_document.WindowTitle());
    QPointer<CViewWindow> view = m_view;
    m_frame->AddStatusPane(new CRemoteStatusPane(
        [view]() -> std::optional<RemoteStatus> {
            return view ? view->RemoteReaderStatus() : std::nullopt;
        },
        m_frame.get()));

    const std::vector<CommandLineAction> actions =
        ParseCommandLine(arguments, PlatformSlashStartsOption());
    // A puzzle root from the command line is taken before the view starts, so that a first
    // run that names one on the command line is not asked for one as well.
    for (const CommandLineAction& action : actions) {
        if (action.kind == CommandLineAction::Kind::PuzzlePath) {
            m_view->TakeCommandLinePath(action.path);
        }
    }
    m_view->Create();

    if (m_frame->RestorePlacement()) {
        m_frame->showMaximized();
    } else {
        m_frame->show();
    }
    m_frame->repaint();

    m_signals = std::make_unique<CTerminationSignals>([this] { RequestClose(); });
    // The zoom is posted: it happens once the event loop runs, after start-up.
    for (const CommandLineAction& action : actions) {
        if (action.kind == CommandLineAction::Kind::ToggleZoom) {
            m_frame->PostCommand(static_cast<std::uint32_t>(FrameCommandId::FullScreen));
        }
    }
    return true;
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
