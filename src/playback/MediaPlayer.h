#pragma once
// The media player component: opens, decodes and draws the video inside its own
// widget, which lies on the main window. Everything else reaches the video only
// through these members. Implemented by the libmpv engine and, in tests, by a
// scripted fake.

#include <QImage>
#include <QObject>
#include <QString>

class QWidget;

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // Play states. Only Playing, Paused and Closed are tested by the program;
    // Stopped is the state at the end of the medium.
    enum PlayState : int { Stopped = 0, Paused = 1, Playing = 2, Closed = 6 };
    // Open states: Open means a medium is open.
    enum OpenState : int { NotOpen = 0, Opening = 5, Open = 6 };
    // Mouse buttons and shift bits as MouseDown reports them.
    enum Button : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Shift : int { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

    using QObject::QObject;
    ~MediaPlayer() override = default;

    // Opens the named file and returns when the open has succeeded or failed.
    // A medium that opens starts playing and the widget takes its natural size;
    // a failed open leaves PlayState() at Closed and ErrorDescription() saying why.
    virtual void SetFileName(const QString &name) = 0;
    virtual QString FileName() const = 0;

    virtual int PlayState() const = 0;
    virtual int OpenState() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;

    virtual double CurrentPosition() const = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    virtual double Duration() const = 0;

    virtual QString ErrorDescription() const = 0;

    virtual bool Mute() const = 0;
    virtual void SetMute(bool mute) = 0;

    // The widget the video is drawn into; its geometry (pixels on the main
    // window's inner area) and visibility are the component's Left, Top, Width,
    // Height and Visible. The picture is stretched over the whole widget.
    virtual QWidget *widget() const = 0;

    // The picture the widget shows now, drawn from its top-left corner (null before
    // the first frame; the widget shows black where the picture does not reach).
    virtual const QImage &frame() const = 0;

    // With every frame on, no video frame is dropped to keep pace with the sound: each one
    // the decoder makes is drawn, and told by FrameShown. Off by default.
    virtual void SetEveryFrame(bool on) = 0;
    // The video's frame rate as the medium tells it, frames a second; 0 when unknown.
    virtual double FrameRate() const = 0;

signals:
    // The state notifications are queued to the UI thread: they never arrive from
    // inside a call into the component.
    void PlayStateChange(int oldState, int newState);
    void OpenStateChange(int oldState, int newState);
    // An open medium could no longer be played (its file could not be read, say) and is
    // closed; ErrorDescription() says why.
    void Error();
    // A new video frame was drawn into the widget, not a redraw of the one shown: its time
    // in the medium, in seconds. Told on the UI thread right after the drawing.
    void FrameShown(double videoSeconds);
    // Told from inside the widget's own mouse event, so that it comes before the
    // release of the same button.
    void MouseDown(int button, int shift, int x, int y);
};
