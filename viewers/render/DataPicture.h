#pragma once

#include "files/DataFile.h"
#include "files/PseudoSection.h"
#include "files/TopoProfile.h"
#include "render/Picture.h"

#include <optional>

// The data viewer's picture: the pseudo-section, one cell per datum, by pseudo-depth or by
// n-level, with the ground surface in a band above it when a topography file is given.
class CDataPicture : public CPicture {
public:
    CDataPicture(CDataSet data, CPseudoSection section, std::optional<CTopoProfile> topography);

    QRectF WholeWindow() const override;
    QRectF StartWindow() const override { return WholeWindow(); }
    void Render(QPainter& painter, QSize size, const QRectF& window) const override;
    std::string Describe(QPointF position) const override;

    // The datum drawn at a position (the last one drawn there), -1 for none.
    int DatumAt(QPointF position) const;
    // A datum's cell in section units, as drawn.
    QRectF CellRect(int index) const;
    QColor CellColour(int index) const;

    const CDataSet& Data() const { return m_data; }
    const CPseudoSection& Section() const { return m_section; }
    QString Title() const;

    bool nLevel = false;

protected:
    bool Isotropic() const override { return false; }
    bool HasBand() const override { return m_topography.has_value(); }

private:
    void DrawSurface(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping) const;

    CDataSet m_data;
    CPseudoSection m_section;
    std::optional<CTopoProfile> m_topography;
};
