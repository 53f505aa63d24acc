#pragma once

#include "files/PseudoSection.h"
#include "formats/DataFile.h"
#include "formats/TopographyFile.h"
#include "render/Picture.h"

#include <optional>

// The data viewer's picture: the pseudo-section, one cell per datum, by pseudo-depth or by
// n-level, with the ground surface in a band above it when a topography file is given.
class CDataPicture : public CPicture {
public:
    CDataPicture(CDataFile data, CPseudoSection section, std::optional<CTopographyFile> topography);

    QRectF WholeWindow() const override;
    QRectF StartWindow() const override { return WholeWindow(); }
    void Render(QPainter& painter, QSize size, const QRectF& window) const override;
    std::string Describe(QPointF position) const override;

    // The datum drawn at a position (the last one drawn there), -1 for none.
    int DatumAt(QPointF position) const;
    // A datum's cell in section units, as drawn.
    QRectF CellRect(int index) const;
    QColor CellColour(int index) const;

    const CDataFile& Data() const { return m_data; }
    const CPseudoSection& Section() const { return m_section; }
    QString Title() const;

    bool nLevel = false;

protected:
    bool Isotropic() const override { return false; }
    bool HasBand() const override { return m_topography.has_value(); }

private:
    void DrawSurface(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping) const;

    CDataFile m_data;
    CPseudoSection m_section;
    std::optional<CTopographyFile> m_topography;
};
