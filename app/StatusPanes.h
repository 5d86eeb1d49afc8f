#pragma once
// The status-bar panes that show the quiz master the state of the show: the puzzle root with
// the number the next F5 starts from, the remote's port ("COM1 offen"), and whether its
// receiver has been heard and how long ago (an open port without a receiver also reads
// "offen"). Each pane asks its text twice a second.

#include <functional>

#include <QLabel>
#include <QString>

namespace kelvandor {

class CMainFrame;
class CViewWindow;

// A sunken status-bar pane whose text and tooltip `content` gives; asked twice a second.
class CPolledPane : public QLabel {
public:
    struct Content {
        QString text;
        QString toolTip;
    };

    CPolledPane(std::function<Content()> content, QWidget* parent);

    // Asks for the content now.
    void Refresh();

private:
    std::function<Content()> content_;
};

// Adds the puzzle pane ("PuzzlePane"), the remote pane ("RemotePane") and the receiver pane
// ("ReceiverPane") to `frame`'s status bar. They follow `view` while it lives and show nothing
// once it is gone.
void AddShowPanes(CMainFrame& frame, CViewWindow& view);

// The puzzle pane's text: the root (elided in the middle beyond `maxPathChars` characters)
// and the folder the next F5 starts from, for example "Rätsel: /shows/quiz – weiter ab
// Game004"; "Rätsel: kein Pfad" without a root.
QString PuzzlePaneText(const QString& root, int nextNumber, int maxPathChars = 48);

}  // namespace kelvandor
