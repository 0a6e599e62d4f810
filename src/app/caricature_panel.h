#pragma once
#include <QDialog>
#include <QTimer>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "face/caricature_settings.h"
#include "face/face_model.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QLabel;
class QSlider;
class QSpinBox;

namespace mugwarp {

class CaricatureEdit;
class Document;
class FaceFinder;
class LandmarkMarks;

// Mugwarp > Caricature...: the face sliders with a live preview on the
// picture. Faces are found in the background while the panel is already up;
// the sliders wait for them. One use, from opening to OK, is one step of the
// history; Cancel (or closing the panel) leaves the picture as it was.
class CaricaturePanel : public QDialog {
    Q_OBJECT
public:
    // view: the widget the picture is shown in, for the landmark dots.
    CaricaturePanel(Document& document, QWidget* view, QWidget* parent);
    ~CaricaturePanel() override;

    // Starts finding the faces of the picture as shown.
    void start();
    // The preview renders every step-th pixel (the view shows the picture
    // reduced that much); OK renders them all.
    void setPreviewStep(int step) { previewStep_ = std::max(1, step); }

    QSlider* slider(FaceFeature feature) const { return sliders_[static_cast<std::size_t>(feature)]; }
    QComboBox* faceChooser() const { return faceChooser_; }
    QCheckBox* landmarksToggle() const { return landmarksToggle_; }
    QLabel* messageLabel() const { return message_; }
    QDialogButtonBox* buttons() const { return buttons_; }
    LandmarkMarks* landmarkMarks() const { return marks_; }
    bool facesFound() const { return !faces_.empty(); }
    CaricatureSettings settings() const;
    // The preview waiting for the event loop is made now (for tests).
    void flushPreview();

    // "Caricature: Exaggerate 200 %, Eye Size +40"
    static QString caption(const CaricatureSettings& settings);

signals:
    // Finding faces began / ended (with the message to show for a while).
    void searching();
    void searchEnded(QString message);
    // OK made a step (or found nothing to change): what it did.
    void applied(QString caption);

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reset();

private:
    void buildSliders(QGridLayout* grid);
    void onFound(std::vector<FoundFace> faces, std::shared_ptr<const FaceModel> model);
    void onFailed(const QString& message);
    void chooseFace(int index);
    void preview();
    void showLandmarks();

    Document& document_;
    QWidget* view_;
    std::array<QSlider*, kFaceFeatureCount> sliders_{};
    std::array<QSpinBox*, kFaceFeatureCount> boxes_{};
    QComboBox* faceChooser_ = nullptr;
    QCheckBox* landmarksToggle_ = nullptr;
    QLabel* message_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    LandmarkMarks* marks_ = nullptr;
    FaceFinder* finder_ = nullptr;
    QTimer previewTimer_;
    int previewStep_ = 1;

    std::vector<FoundFace> faces_;
    std::shared_ptr<const FaceModel> model_;
    std::unique_ptr<CaricatureEdit> edit_;
};

}  // namespace mugwarp
