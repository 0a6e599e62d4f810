#pragma once
#include <QFileDialog>

class QLabel;

namespace mugwarp {

// The open and save dialogs: Qt's own file dialog (never the desktop's, which
// cannot host it) with a preview of the picture under the cursor beside the list.
class PictureFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum class Purpose { Open, Save };

    PictureFileDialog(QWidget* parent, Purpose purpose);

    static QStringList openFilters();
    static QStringList saveFilters();

    // Shows the dialog; the chosen file, or empty when cancelled.
    static QString askOpenPicture(QWidget* parent, const QString& suggestedPath);
    static QString askSavePicture(QWidget* parent, const QString& suggestedPath);

    QLabel* previewLabel() const { return preview_; }
    // Shows the picture at path small beside the list (nothing for other files).
    void showPreview(const QString& path);

private:

    QLabel* preview_ = nullptr;
};

}  // namespace mugwarp
