// velquor-model-viewer: shows a discretized model on its mesh.
#include "ui/ViewerMain.h"

int main(int argc, char** argv)
{
    return ModelViewerMain(argc, argv);
}
