#pragma once
// The application object: brings the program up in a fixed order (settings home, frame,
// view and document, show, command line) and takes it down so that the view is destroyed
// normally and its settings are saved.

#include <memory>

#include <QString>
#include <string>
#include <vector>

#include "app/KelvandorDoc.h"
#include "control/ControlHandler.h"

class QTranslator;

namespace kelvandor {

class CControlServer;
class CMainFrame;
class CModeratorWindow;
class CShowKeeper;
class CTerminationSignals;
class CViewWindow;

class CKelvandorApp : private IControlTarget {
public:
    CKelvandorApp();
    // Destroys the view (which saves its settings) before the frame.
    ~CKelvandorApp() override;

    // Start-up; needs a QApplication. `arguments` are the command-line arguments after the
    // program name, as raw bytes. Returns false when the frame, view or document cannot be
    // made; the program then ends without a message of its own.
    bool InitInstance(const std::vector<std::string>& arguments);

    // Ends the program as the window's close button does (used for SIGINT and SIGTERM).
    void RequestClose();

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CViewWindow* View() const { return m_view; }
    const CKelvandorDoc& Document() const { return m_document; }
    // The control socket's server; nullptr when another instance serves the user's socket
    // (or it could not be made).
    CControlServer* ControlServer() const { return m_control.get(); }
    // The show's journal and log.
    CShowKeeper* ShowKeeper() const { return m_show.get(); }
    // The quiz master's window; nullptr until it was first opened.
    CModeratorWindow* ModeratorWindow() const { return m_moderator.get(); }
    // Opens the quiz master's window (on another screen when there is one, the game then
    // going full screen on its own) or closes it.
    void ToggleModeratorWindow();

    // The settings home of every value the program keeps: organisation "XQ", application
    // "Kelvandor". Set on the QApplication by InitInstance. A settings file there that could
    // block or stall start-up (a pipe, a file of megabytes) is first moved aside with one
    // line on standard error (settings/SettingsFile.h).
    static void SetSettingsHome();
    // The folder that holds the settings file instead of the user's configuration folder
    // (the tests' own); an empty folder name goes back to the user's.
    static void UseSettingsFolder(const QString& folder);

private:
    // Other programs reach the game through the control socket.
    bool PostExit() override;
    std::string DocumentPath() override;
    bool OpenDocument(const std::string& fullPath) override;
    void SetStatusText(std::uint32_t pane, const std::string& text) override;
    void StartControlServer();
    void InstallQtTranslation();

    std::unique_ptr<CMainFrame> m_frame;
    CViewWindow* m_view = nullptr;  // owned by the frame's widget tree
    CKelvandorDoc m_document;
    std::unique_ptr<CTerminationSignals> m_signals;
    std::unique_ptr<CControlServer> m_control;
    std::unique_ptr<CShowKeeper> m_show;
    std::unique_ptr<CModeratorWindow> m_moderator;
    std::unique_ptr<QTranslator> m_qtTranslation;
};

}  // namespace kelvandor
