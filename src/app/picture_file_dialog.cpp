#include "app/picture_file_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

namespace mugwarp {
namespace {

constexpr QSize kPreviewSize{200, 200};

// File names on Linux are case-sensitive; cameras write ".JPG".
QString patternsBothCases(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions) patterns << QStringLiteral("*.") + extension;
    for (const QString& extension : extensions) patterns << QStringLiteral("*.") + extension.toUpper();
    return patterns.join(QLatin1Char(' '));
}

QString describedFilter(const QString& description, const QStringList& extensions) {
    return description + QStringLiteral(" (") + patternsBothCases(extensions) + QLatin1Char(')');
}

}  // namespace

QStringList PictureFileDialog::openFilters() {
    return {
        describedFilter(QStringLiteral("All"), {QStringLiteral("gif"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp"),
                                                QStringLiteral("png"), QStringLiteral("webp"), QStringLiteral("heic"),
                                                QStringLiteral("heif"), QStringLiteral("avif"), QStringLiteral("mugwarp")}),
        describedFilter(QStringLiteral("CompuServe GIF Image"), {QStringLiteral("gif")}),
        describedFilter(QStringLiteral("JPEG Image File"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}),
        describedFilter(QStringLiteral("Bitmaps"), {QStringLiteral("bmp")}),
        describedFilter(QStringLiteral("PNG Image"), {QStringLiteral("png")}),
        describedFilter(QStringLiteral("WebP Image"), {QStringLiteral("webp")}),
        describedFilter(QStringLiteral("HEIC and AVIF Photo"), {QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("avif")}),
        describedFilter(QStringLiteral("Mugwarp Project"), {QStringLiteral("mugwarp")}),
    };
}

QStringList PictureFileDialog::saveFilters() {
    return {
        describedFilter(QStringLiteral("JPEG Image File"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}),
        describedFilter(QStringLiteral("Bitmaps"), {QStringLiteral("bmp")}),
        describedFilter(QStringLiteral("Portable Document Format"), {QStringLiteral("pdf")}),
        describedFilter(QStringLiteral("CompuServe GIF Image"), {QStringLiteral("gif")}),
        describedFilter(QStringLiteral("PNG Image"), {QStringLiteral("png")}),
        describedFilter(QStringLiteral("WebP Image"), {QStringLiteral("webp")}),
        describedFilter(QStringLiteral("Mugwarp Project"), {QStringLiteral("mugwarp")}),
    };
}

PictureFileDialog::PictureFileDialog(QWidget* parent, Purpose purpose) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    if (purpose == Purpose::Open) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
        setNameFilters(openFilters());
    } else {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setNameFilters(saveFilters());
        // Existing files are replaced without a question, as the editor always did.
        setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("picturePreview"));
    preview_->setFixedSize(kPreviewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(preview_, 1, grid->columnCount(), 1, 1);
    }
    connect(this, &QFileDialog::currentChanged, this, &PictureFileDialog::showPreview);
}

void PictureFileDialog::showPreview(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);  // phone photos preview upright, as they open
    QSize size = reader.size();
    if (QFileInfo(path).isFile() && size.isValid()) {
        size.scale(kPreviewSize, Qt::KeepAspectRatio);
        reader.setScaledSize(size);
        const QImage image = reader.read();
        if (!image.isNull()) {
            preview_->setPixmap(QPixmap::fromImage(image));
            return;
        }
    }
    preview_->setPixmap(QPixmap());
    preview_->setText(QFileInfo(path).isFile() ? QStringLiteral("No preview") : QString());
}

QString PictureFileDialog::askOpenPicture(QWidget* parent, const QString& suggestedPath) {
    PictureFileDialog dialog(parent, Purpose::Open);
    if (!suggestedPath.isEmpty()) dialog.setDirectory(QFileInfo(suggestedPath).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString PictureFileDialog::askSavePicture(QWidget* parent, const QString& suggestedPath) {
    PictureFileDialog dialog(parent, Purpose::Save);
    if (!suggestedPath.isEmpty()) dialog.selectFile(suggestedPath);
    // The type shown follows the name suggested (a project for Save Project As).
    const QString pattern = QStringLiteral("*.") + QFileInfo(suggestedPath).suffix().toLower() + QLatin1Char(' ');
    for (const QString& filter : saveFilters())
        if (!QFileInfo(suggestedPath).suffix().isEmpty() && filter.contains(pattern)) dialog.selectNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace mugwarp
