#pragma once

// The program's command and resource identifiers, low enough for the dialogs, the document and
// the view to use; the tables that use them (menus, accelerators, prompts) are the app's.
#include "platform/StandardIds.h"

// Resource identifiers.
constexpr unsigned IDR_MAINFRAME = 128;   // menu, accelerators, toolbar, icon, document strings
constexpr unsigned IDR_CONTEXTMENU = 131; // the view's context menus
constexpr unsigned IDI_ABOUT = 136;       // About box icon
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_BLOCKPROP = 130;
constexpr unsigned IDD_MODPROP = 131;
constexpr unsigned IDD_DISCRETIZE = 132;
constexpr unsigned IDD_FWDTYPE = 137;
constexpr unsigned IDD_EXAGGERATION = 138;
constexpr unsigned IDD_EXPORT = 139;
constexpr unsigned IDD_OPTIMIZE_SURVEY = 140;

// The program's commands.
constexpr unsigned ID_BLOCK_PROPERTIES = 32771;
constexpr unsigned ID_BLOCK_DELETE = 32772;
constexpr unsigned ID_BLOCK_TO_BACK = 32773;
constexpr unsigned ID_FORWARD_MODEL = 32774;
constexpr unsigned ID_BLOCK_MOVE = 32775;
constexpr unsigned ID_EDIT_DC_MODEL = 32776;
constexpr unsigned ID_EDIT_IP_MODEL = 32777;
constexpr unsigned ID_BLOCK_COPY = 32778;
constexpr unsigned ID_BLOCK_SIZE = 32779;
constexpr unsigned ID_VIEW_DATA = 32781;
constexpr unsigned ID_VIEW_MODEL = 32782;
constexpr unsigned ID_EDIT_TOPOGRAPHY = 32783;
constexpr unsigned ID_TOPO_REMOVE = 32784;
constexpr unsigned ID_TOPO_DELETE_POINT = 32785;
constexpr unsigned ID_COLOURBAR_LOG10 = 32788;
constexpr unsigned ID_COLOURBAR_COND_RES = 32790;
constexpr unsigned ID_DISCRETIZE = 32791;
constexpr unsigned ID_BLOCK_SHEAR = 32792;
constexpr unsigned ID_BLOCK_ELLIPSE = 32793;
constexpr unsigned ID_VIEW_LOG_FILE = 32794;
constexpr unsigned ID_EDIT_MODEL_PROPERTIES = 32795;
constexpr unsigned ID_FILE_EXPORT_DATA = 32796;
constexpr unsigned ID_VIEW_SENSITIVITY = 32797;
constexpr unsigned ID_VIEW_DEPTH_OF_INVESTIGATION = 32798;
constexpr unsigned ID_OPTIMIZE_SURVEY = 32799;

// Zoom and vertical exaggeration of the section.
constexpr unsigned ID_VIEW_EXAGGERATION_1 = 32810;
constexpr unsigned ID_VIEW_EXAGGERATION_2 = 32811;
constexpr unsigned ID_VIEW_EXAGGERATION_5 = 32812;
constexpr unsigned ID_VIEW_EXAGGERATION_10 = 32813;
constexpr unsigned ID_VIEW_EXAGGERATION_OTHER = 32814;
constexpr unsigned ID_VIEW_FIT = 32815;
