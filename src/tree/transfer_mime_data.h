// Elements on the clipboard and in a drag: a transfer image (a whole compound file in a
// global memory block) under our own MIME type. The data hands out the block's bytes without
// copying them; a drag also names the view and the item it started from, so that a drop can
// tell a move inside one view from a drop of another view's element.
#pragma once

#include <QMimeData>
#include <QPointer>
#include <QStringList>

#include "storage_api.h"

inline constexpr char kElementMimeType[] = "application/x-kestrin-elements";

class CTransferMimeData final : public QMimeData {
public:
    // Takes over image (null: data without the format, as a drag whose image failed). A
    // drag gives its view and the path of the dragged item below the root item.
    explicit CTransferMimeData(HGLOBAL image, QObject* sourceView = nullptr,
                               QStringList sourcePath = {});
    ~CTransferMimeData() override;

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;
    QObject* GetSourceView() const { return m_sourceView; }
    const QStringList& GetSourcePath() const { return m_sourcePath; }

protected:
    // The bytes stay in the block: valid for as long as this data lives.
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    HGLOBAL m_image;
    QPointer<QObject> m_sourceView;
    QStringList m_sourcePath;
};
