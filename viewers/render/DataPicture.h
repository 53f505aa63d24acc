#pragma once

#include "files/DataEstimate.h"
#include "files/PseudoSection.h"
#include "formats/DataFile.h"
#include "formats/TopographyFile.h"
#include "render/Picture.h"

#include <optional>

// The data viewer's picture: the pseudo-section, one cell per datum, by pseudo-depth or by
// n-level, with the ground surface in a band above it when a topography file is given. With an
// estimate of the data's error it can show that instead, in the same cells, on a log scale in %.
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

    // Takes the estimate of LoadDataEstimate: its percentages, one per datum, or its note.
    void SetEstimate(CDataEstimate estimate);
    const CDataEstimate& Estimate() const { return m_estimate; }
    bool HasEstimate() const { return !m_estimate.percent.empty(); }

    bool nLevel = false;
    bool showError = false; // the estimated error rather than the data; only with an estimate

protected:
    bool Isotropic() const override { return false; }
    bool HasBand() const override { return m_topography.has_value(); }

private:
    void DrawSurface(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping) const;
    bool ShowsError() const { return showError && HasEstimate(); }
    // The colour value of a cell in what is shown; false for a cell left uncoloured.
    bool ColourValue(int index, double& value) const;

    CDataFile m_data;
    CPseudoSection m_section;
    std::optional<CTopographyFile> m_topography;
    CDataEstimate m_estimate;
    double m_errorMin = 0, m_errorMax = 0; // log10 of the positive estimates' range
};
