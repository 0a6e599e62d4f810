#pragma once
#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace mugwarp {

// "Load Filters": asks for a folder of filter plug-ins and whether to look in
// its sub-directories. Kept for the session, so it remembers what was typed.
class LoadFiltersDialog : public QDialog {
    Q_OBJECT
public:
    using FolderChooser = std::function<QString(QWidget* parent)>;
    // Called with an existing folder when the user presses "Load".
    using Loader = std::function<void(const QString& folder, bool includeSubdirectories)>;

    LoadFiltersDialog(Loader loader, QWidget* parent = nullptr);

    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }

    QLineEdit* folderEdit() const { return folder_; }
    QCheckBox* includeBox() const { return include_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* loadButton() const { return load_; }

private:
    void browse();
    void loadAndClose();

    Loader loader_;
    FolderChooser chooseFolder_;
    QLineEdit* folder_ = nullptr;
    QPushButton* browse_ = nullptr;
    QCheckBox* include_ = nullptr;
    QPushButton* load_ = nullptr;
};

}  // namespace mugwarp
