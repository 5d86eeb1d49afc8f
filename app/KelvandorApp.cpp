#include "app/KelvandorApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/TerminationSignals.h"
#include "app/ViewWindow.h"
#include "game/CommandIds.h"

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

void CKelvandorApp::SetSettingsHome() {
    QCoreApplication::setOrganizationName(QStringLiteral("XQ"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvandor"));
}

bool CKelvandorApp::InitInstance(const std::vector<std::string>& arguments) {
    SetSettingsHome();

    // The new-document step: frame, view and document.
    m_frame = std::make_unique<CMainFrame>();
    m_view = new CViewWindow(m_frame.get());
    m_frame->SetView(m_view, m_view->Commands());
    if (!m_document.OnNewDocument(m_view != nullptr)) {
        return false;
    }
    m_frame->setWindowTitle(m_document.WindowTitle());

    m_frame->show();
    m_frame->repaint();

    m_signals = std::make_unique<CTerminationSignals>([this] { RequestClose(); });
    ApplyCommandLine(arguments);
    return true;
}

void CKelvandorApp::ApplyCommandLine(const std::vector<std::string>& arguments) {
    for (const CommandLineAction& action :
         ParseCommandLine(arguments, PlatformSlashStartsOption())) {
        switch (action.kind) {
            case CommandLineAction::Kind::ToggleZoom:
                m_frame->PostCommand(static_cast<std::uint32_t>(CommandId::FullScreen));
                break;
            case CommandLineAction::Kind::PuzzlePath:
                m_view->TakeCommandLinePath(action.path);
                break;
        }
    }
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
