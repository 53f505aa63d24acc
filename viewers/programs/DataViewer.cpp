// velquor-data-viewer: shows predicted data as a pseudo-section.
#include "ui/ViewerMain.h"

int main(int argc, char** argv)
{
    return DataViewerMain(argc, argv);
}
