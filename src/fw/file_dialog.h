// File dialogs. CFileDialog is asked the way the platform's is (open or save, default
// extension, initial name, OFN_* flags, a '|'-separated filter, a title); what the user
// answers comes from one replaceable presenter, so that headless tests choose the files.
#pragma once

#include <QString>
#include <optional>

#include "framework_ids.h"

constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;
constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_PATHMUSTEXIST = 0x800;
constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

// What a file dialog is asked, in the platform's terms.
struct OPENFILENAME {
    bool bOpenFileDialog = true;
    QString lpstrTitle;  // empty: the framework's "開く" or "名前を付けて保存"
    QString lpstrFilter; // "name|patterns|name|patterns||"
    QString lpstrDefExt; // without the dot
    QString lpstrFile;   // the initial name
    unsigned Flags = 0;
    int nFilterIndex = 1; // 1-based: the filter shown first
};

class FileDialogPresenter {
public:
    virtual ~FileDialogPresenter() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> Show(const OPENFILENAME& ofn) = 0;
};

// Replaces the presenter (null: the real QFileDialog one); returns the one before.
FileDialogPresenter* SetFileDialogPresenter(FileDialogPresenter* presenter);

class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const QString& defExt = {}, const QString& fileName = {},
                unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const QString& filter = {});

    // IDOK with a chosen path, or IDCANCEL.
    int DoModal();
    QString GetPathName() const { return m_pathName; }

    OPENFILENAME m_ofn;

private:
    QString m_pathName;
};
