#pragma once

#include "files/ModelSection.h"
#include "render/Picture.h"

#include <QRgb>

#include <vector>

// The model viewer's picture: every cell of the mesh in the colour of its value, air in light
// grey, mesh lines on request, depth growing downward at the same scale as x.
class CModelPicture : public CPicture {
public:
    explicit CModelPicture(CModelSection section);

    QRectF WholeWindow() const override;
    QRectF StartWindow() const override; // the core region
    void Render(QPainter& painter, QSize size, const QRectF& window) const override;
    std::string Describe(QPointF position) const override;

    const CModelSection& Section() const { return m_section; }
    QString Title() const;

    // The colour a cell is drawn in.
    QRgb CellColour(int column, int row) const
    {
        return m_cellColours[static_cast<size_t>(row) * m_section.grid.nx + column];
    }

    bool meshLines = true;
    // The depth of investigation drawn over the cells, as (x, z); empty: none.
    std::vector<QPointF> doi;
    bool doiLine = true;

protected:
    bool Isotropic() const override { return true; }

private:
    void DrawCells(QPainter& painter, const CPlotMapping& mapping) const;
    void DrawMeshLines(QPainter& painter, const CPlotMapping& mapping) const;
    void DrawDoi(QPainter& painter, const CPlotMapping& mapping) const;

    CModelSection m_section;
    std::vector<QRgb> m_cellColours; // the colours never depend on the display toggles
};

// Light grey, the colour of air in the main view.
constexpr QRgb kAirColour = 0xFFC0C0C0;
