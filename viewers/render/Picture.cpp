#include "render/Picture.h"

#include <QPainter>

CPlotMapping CPicture::Mapping(QSize size, const QRectF& window) const
{
    return CPlotMapping(CPlotFrame(size, HasBand()).plot, window, Isotropic(), WholeWindow());
}

QImage CPicture::ToImage(QSize size, const QRectF& window) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Render(painter, size, window);
    return image;
}
