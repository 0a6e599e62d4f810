#include "app/caricature_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/face_finder.h"
#include "app/landmark_marks.h"
#include "document/document.h"
#include "face/caricature_edit.h"
#include "face/feature_moves.h"

namespace mugwarp {

CaricaturePanel::CaricaturePanel(Document& document, QWidget* view, QWidget* parent)
    : QDialog(parent), document_(document), view_(view) {
    setWindowTitle(QStringLiteral("Caricature"));
    setObjectName(QStringLiteral("CaricaturePanel"));
    auto* layout = new QVBoxLayout(this);

    auto* faceRow = new QHBoxLayout;
    faceRow->addWidget(new QLabel(QStringLiteral("Face:"), this));
    faceChooser_ = new QComboBox(this);
    faceChooser_->setObjectName(QStringLiteral("faceChooser"));
    faceChooser_->setEnabled(false);
    faceRow->addWidget(faceChooser_, 1);
    landmarksToggle_ = new QCheckBox(QStringLiteral("Show landmarks"), this);
    landmarksToggle_->setObjectName(QStringLiteral("showLandmarks"));
    faceRow->addWidget(landmarksToggle_);
    layout->addLayout(faceRow);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("caricatureMessage"));
    message_->setWordWrap(true);
    layout->addWidget(message_);

    auto* grid = new QGridLayout;
    buildSliders(grid);
    layout->addLayout(grid);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Reset | QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons_->button(QDialogButtonBox::Reset), &QPushButton::clicked, this, &CaricaturePanel::reset);


    marks_ = new LandmarkMarks(view_, QSize(document_.pictureWidth(), document_.pictureHeight()));
    marks_->hide();
    connect(landmarksToggle_, &QCheckBox::toggled, this, [this] { showLandmarks(); });
    connect(faceChooser_, &QComboBox::currentIndexChanged, this, [this](int index) { chooseFace(index); });

    // Slider moves come faster than a big picture renders: only the last
    // settings since the previous preview are rendered.
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(0);
    connect(&previewTimer_, &QTimer::timeout, this, [this] { preview(); });

    finder_ = new FaceFinder(this);
    connect(finder_, &FaceFinder::found, this, &CaricaturePanel::onFound);
    connect(finder_, &FaceFinder::failed, this, &CaricaturePanel::onFailed);
}

CaricaturePanel::~CaricaturePanel() {
    // The dots belong to the view; the panel's end takes them away.
    delete marks_;
}

void CaricaturePanel::buildSliders(QGridLayout* grid) {
    int row = 0;
    for (const FaceFeatureInfo& info : faceFeatures()) {
        const auto i = static_cast<std::size_t>(info.feature);
        const QString caption = QString::fromUtf8(info.caption.data(), qsizetype(info.caption.size()));
        auto* label = new QLabel(caption, this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QString::fromUtf8(info.key.data(), qsizetype(info.key.size())));
        slider->setRange(info.minimum, info.maximum);
        slider->setMinimumWidth(220);
        slider->setEnabled(false);
        auto* box = new QSpinBox(this);
        box->setRange(info.minimum, info.maximum);
        box->setEnabled(false);
        box->setKeyboardTracking(false);
        if (info.feature == FaceFeature::Exaggerate) box->setSuffix(QStringLiteral(" %"));
        label->setBuddy(slider);
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(box, row, 2);
        connect(slider, &QSlider::valueChanged, box, &QSpinBox::setValue);
        connect(box, &QSpinBox::valueChanged, slider, &QSlider::setValue);
        connect(slider, &QSlider::valueChanged, this, [this] { previewTimer_.start(); });
        sliders_[i] = slider;
        boxes_[i] = box;
        ++row;
    }
}

// Return completes a number typed into a box; it must not also close the
// panel, as it would through the OK button the button box makes the default.
void CaricaturePanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CaricaturePanel::start() {
    message_->setText(QStringLiteral("Finding faces..."));
    emit searching();
    finder_->find(document_.display());
}

CaricatureSettings CaricaturePanel::settings() const {
    CaricatureSettings s;
    for (std::size_t i = 0; i < kFaceFeatureCount; ++i) s.values[i] = sliders_[i]->value();
    return s;
}

void CaricaturePanel::onFound(std::vector<FoundFace> faces, std::shared_ptr<const FaceModel> model) {
    faces_ = std::move(faces);
    model_ = std::move(model);
    const QString found = faces_.size() == 1 ? QStringLiteral("Found 1 face")
                                             : QStringLiteral("Found %1 faces").arg(faces_.size());
    message_->setText(faces_.size() == 1 ? QString() : found + QStringLiteral(": choose one above."));
    {
        const QSignalBlocker quiet(faceChooser_);
        for (std::size_t n = 0; n < faces_.size(); ++n) {
            const Rect& b = faces_[n].box;
            faceChooser_->addItem(QStringLiteral("Face %1 (%2 x %3 at %4, %5)")
                                      .arg(n + 1)
                                      .arg(b.width())
                                      .arg(b.height())
                                      .arg(b.left)
                                      .arg(b.top));
        }
    }
    faceChooser_->setEnabled(faces_.size() > 1);
    for (std::size_t i = 0; i < kFaceFeatureCount; ++i) {
        sliders_[i]->setEnabled(true);
        boxes_[i]->setEnabled(true);
    }
    chooseFace(0);
    emit searchEnded(found);
}

void CaricaturePanel::onFailed(const QString& message) {
    message_->setText(message);
    emit searchEnded(message);
}

void CaricaturePanel::chooseFace(int index) {
    if (index < 0 || index >= int(faces_.size())) return;
    // The other face's edit goes back first; the settings carry over.
    if (edit_) edit_->cancel();
    edit_.reset();
    edit_ = std::make_unique<CaricatureEdit>(document_, faces_[index].points, model_->meanShape());
    preview();
}

void CaricaturePanel::preview() {
    previewTimer_.stop();
    if (!edit_) return;
    const double share = edit_->show(settings(), previewStep_);
    if (share < 1.0) {
        message_->setText(QStringLiteral("Moves held to %1 % so that the picture does not fold.").arg(int(share * 100)));
    } else if (faces_.size() <= 1) {
        message_->clear();
    }
    showLandmarks();
}

void CaricaturePanel::flushPreview() {
    if (previewTimer_.isActive()) preview();
}

void CaricaturePanel::showLandmarks() {
    const bool on = landmarksToggle_->isChecked() && edit_;
    marks_->setVisible(on);
    if (!on) return;
    // Where the landmarks are now: their targets, as far as the moves went.
    const ControlMoves moves = caricatureMoves(faces_[std::max(0, faceChooser_->currentIndex())].points,
                                               model_->meanShape(), edit_->settings());
    const double share = edit_->field().isIdentity() ? 0.0 : edit_->field().shareApplied();
    std::vector<FacePoint> shown;
    for (std::size_t i = 0; i < kLandmarkCount; ++i)
        shown.push_back({moves.from[i].x + share * (moves.to[i].x - moves.from[i].x),
                         moves.from[i].y + share * (moves.to[i].y - moves.from[i].y)});
    marks_->setPoints(std::move(shown));
    marks_->raise();
}

void CaricaturePanel::reset() {
    for (QSlider* s : sliders_) {
        const QSignalBlocker quiet(s);
        s->setValue(0);
    }
    for (QSpinBox* b : boxes_) {
        const QSignalBlocker quiet(b);
        b->setValue(0);
    }
    preview();
}

void CaricaturePanel::done(int result) {
    if (edit_) {
        if (result == QDialog::Accepted) {
            flushPreview();
            const bool changed = !edit_->field().isIdentity();
            edit_->accept();
            emit applied(changed ? caption(edit_->settings()) : QStringLiteral("Caricature: no change"));
        } else {
            edit_->cancel();
        }
        edit_.reset();
    }
    marks_->hide();
    QDialog::done(result);
}

QString CaricaturePanel::caption(const CaricatureSettings& settings) {
    QStringList parts;
    // Exaggerate first: it is what the panel is mostly used for.
    const auto add = [&](const FaceFeatureInfo& info) {
        const int v = settings[info.feature];
        if (v == 0) return;
        const QString name = QString::fromUtf8(info.caption.data(), qsizetype(info.caption.size()));
        parts << (info.feature == FaceFeature::Exaggerate ? QStringLiteral("%1 %2 %").arg(name).arg(v)
                                                          : QStringLiteral("%1 %2%3").arg(name, v > 0 ? "+" : "").arg(v));
    };
    add(faceFeatureInfo(FaceFeature::Exaggerate));
    for (const FaceFeatureInfo& info : faceFeatures())
        if (info.feature != FaceFeature::Exaggerate) add(info);
    return QStringLiteral("Caricature: ") + parts.join(QStringLiteral(", "));
}

}  // namespace mugwarp
