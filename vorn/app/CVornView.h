#pragma once

#include "scene/SceneEventHandler.h"
#include "scene/render/Camera.h"
#include "scene/render/ScenePicker.h"
#include "vorn/app/ViewGeometry.h"
#include "vorn/app/ViewNavigator.h"
#include "vorn/app/render/GLRenderer.h"
#include "vorn/app/render/RecordBudget.h"
#include "vorn/core/capture/CaptureService.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QPoint>
#include <QTimer>

#include <functional>

class CVornDoc;

/// The 3D view of a scene document: draws the scene root through a `GLRenderer`, picks and
/// selects on a click, drags the selection, orbits, pans and zooms the camera, records
/// slide series and answers the scene's events.
///
/// Mouse buttons follow `ViewNavigator`'s rules; the wheel zooms. A left click selects (or
/// clears the selection on empty space); Ctrl+click flies to look straight at the surface.
class CVornView : public QOpenGLWidget, public SceneEventHandler {
    Q_OBJECT
public:
    explicit CVornView(CVornDoc& doc, QWidget* parent = nullptr);
    ~CVornView() override;

    CVornDoc& getDocument() const { return m_doc; }
    Camera& getCamera() { return m_camera; }
    /// Whether the user is moving the camera (huge meshes are then drawn coarser).
    bool isCameraMoving() const { return m_renderer.isCameraMoving(); }
    /// Called whenever the selection shown by this view changes.
    void setSelectionCallback(std::function<void(SceneObj*)> callback) {
        m_selectionChanged = std::move(callback);
    }

    /// Aims the camera so the whole scene is in the picture with a margin around it, and
    /// follows the scene again (see `keepInSight`); false for an empty scene.
    bool recenter();
    /// While the scene is followed (until the user pans, zooms or flies the camera
    /// somewhere), a scene that has grown beyond what was last framed, the world box
    /// `lo`..`hi`, is framed again. True when the camera moved. Called on every frame with
    /// the bounds of what was drawn, so a growing net stays in sight.
    bool keepInSight(const Sorvex::M3d& lo, const Sorvex::M3d& hi);
    bool isFollowingScene() const { return m_followScene; }
    /// Looks along an axis (0 = x, 1 = y, 2 = z) in the positive or negative direction.
    void lookAlong(int axis, bool positive);
    /// Endless spin on or off.
    void toggleSpin();
    /// One full turn: 128 steps of pi/64, one per 100 ms tick.
    void spinOnce();
    bool isSpinning() const { return m_spinTicks != 0; }
    bool isSpinningEndlessly() const { return m_spinTicks == -1; }
    /// One tick of the 100 ms view timer: spin step and camera flight.
    void onViewTick();
    /// Deletes the selection after the current event when it allows deletion.
    void deleteSelection();
    /// Stores the camera's viewpoint as "ViewpointA" or "ViewpointB" (section "Settings").
    void recordViewpoint(char which);
    /// Flies in 1000 ms to the stored viewpoint; false when none is stored.
    bool gotoViewpoint(char which);
    /// Puts the selection on the clipboard as XML text; Cut also deletes it.
    void copySelection();
    void cutSelection();
    /// Pastes a scene object from the clipboard's text.
    void paste();
    void setShadedBackground(bool on);
    bool hasShadedBackground() const { return m_shadedBackground; }

    void onRedrawRequest() override;
    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override;
    void onSelect(SceneObj* obj) override;
    bool onDeselectRequest(SceneObj* obj) override;
    bool onCaptureRequest(const std::string& path, int width, int height,
                          bool selectedOnly) override;
    /// The last capture error, with its reason on a second line when there is one.
    std::string getCaptureError() const;

    /// A single picture (no numbering, even during a recording); false with
    /// `getCaptureError()` set when it could not be written.
    bool captureScreenshot(const std::string& path, int width, int height, bool selectedOnly);
    /// Starts a numbered series into `path` at its first free number; every redraw adds
    /// one picture until `stopRecording`.
    void startSlideshow(const std::string& path, int width, int height, bool selectedOnly);
    /// Starts recording every redraw as a frame of the movie `path`.
    void startMovie(const std::string& path, int width, int height, bool selectedOnly);
    /// Ends the recording (a movie is completed); false when that failed.
    bool stopRecording();
    bool isRecording() const { return m_capture.isRecording(); }
    bool isRecordingMovie() const { return IsMoviePath(m_capture.getRecordingPath()); }
    /// Asks for the AVI codec when a view starts the first AVI movie (every view; the
    /// main window installs its dialog). Without one, MPEG-4 is used.
    static void SetCodecChooser(CaptureService::CodecChooser chooser);
    /// The number the next picture of the recording gets (-1 when not recording).
    int getRecordingCounter() const { return m_capture.getCounter(); }
    /// Adds the picture of one redraw to the recording; true when not recording.
    bool recordFrame();

    /// Whether repaints reuse what objects drew before (see GLRenderer::setKeepParts).
    void setKeepsDrawings(bool on) { m_renderer.setKeepParts(on); }
    /// Whether the last recording drew everything the scene drew (see
    /// GLRenderer::isCaughtUp): false while a huge mesh or net is still being caught up with.
    bool isPictureComplete() const { return m_renderer.isCaughtUp(); }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    /// The camera with the viewport in logical pixels of the widget.
    Camera logicalCamera() const;
    /// The selection of the document, or null.
    SceneObj* selection() const;
    /// The hit under window point `pos` (logical pixels); with `neighbours`, also the hits
    /// 0.1 pixel right, above, left and below that lie on the same object.
    PickResult pickHit(const QPointF& pos, ViewGeometry::NeighbourHits* neighbours = nullptr);
    void orbitBy(const QPoint& delta);
    void panBy(const QPoint& from, const QPoint& to);
    void dragSelectionBy(const QPoint& from, const QPoint& to, bool alongView);
    /// Starts dragging the selection (a clone of it with `cloneFirst` when it allows); false
    /// when there is nothing to drag.
    bool beginDrag(bool cloneFirst);
    /// Reports the point under the mouse to the object there. Hovers closer together than
    /// `kHoverMs` are folded into one: each may change the scene (a highlight), after which
    /// the next pick collects it again.
    void hover(const QPointF& pos);
    void hoverNow();
    /// The user moved the camera: huge meshes are drawn coarser until it holds still.
    void noteCameraMotion();
    /// The camera held still (or the drag ended): the next frame draws every face again.
    void endCameraMotion();
    void onLeftClick(const QPointF& pos, bool ctrl);
    /// Flies to look at `hit` along the surface normal found from its neighbours.
    void flyToSurface(const Sorvex::M3d& hit, const ViewGeometry::NeighbourHits& neighbours);

    bool deselectBelow(SceneObj* current, SceneObj* obj);
    /// The object under window point `pos` (logical pixels), or null.
    SceneObj* pickAt(const QPointF& pos);
    /// Whether `target` lies below `obj`, comparing addresses only.
    static bool holds(const SceneObj& obj, const SceneObj* target);
    void aimAtScene();
    /// Records the scene again once recording has taken at most one `share`-th of the time
    /// since the last one.
    void requestRecord(qint64 share);
    /// Frames the box with the view's margin and remembers it as what is framed.
    void frameBox(const Sorvex::M3d& lo, const Sorvex::M3d& hi);
    /// keepInSight without asking for a paint: true when the camera moved.
    bool frameGrownScene(const Sorvex::M3d& lo, const Sorvex::M3d& hi);

    CVornDoc& m_doc;
    Camera m_camera;
    GLRenderer m_renderer;
    /// What the scene draws for picking, kept until the scene changes.
    ScenePicker m_picker;
    CaptureService m_capture;
    QTimer m_viewTimer;
    QElapsedTimer m_flightClock;
    ViewNavigator m_navigator;
    QPointF m_hoverPos;
    /// The object the mouse was last over (may have been deleted since: compare only).
    SceneObj* m_hovered = nullptr;
    /// A drag is under way as one undoable step.
    bool m_dragAction = false;
    QTimer m_hoverTimer;
    QElapsedTimer m_hoverClock;
    /// While the scene keeps changing (a huge net growing), recording it again is held
    /// back so that it takes at most a fifth of the time; frames in between redraw the
    /// kept buffers, so orbiting stays smooth. A scene recorded in a millisecond is not
    /// held back at all.
    QTimer m_rerecordTimer;
    /// Ends the camera's motion once no move followed for a moment.
    QTimer m_stillTimer;
    QElapsedTimer m_sinceRecord;
    qint64 m_recordMs = 0;
    /// The budget of each recording, from what the last paint that recorded measured.
    RecordBudget m_recordBudget;
    /// Runs from the start of drawing what was just recorded until the frame is on screen.
    QElapsedTimer m_drawClock;
    bool m_firstShow = true;
    bool m_followScene = true;
    bool m_hasFramed = false;
    Sorvex::M3d m_framedLo, m_framedHi;
    bool m_shadedBackground = false;
    /// -1 spins endlessly, a positive count spins that many more steps, 0 is still.
    int m_spinTicks = 0;
    std::function<void(SceneObj*)> m_selectionChanged;
};
