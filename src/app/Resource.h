#pragma once

#include "platform/Resources.h"
#include "platform/StandardIds.h"

// Resource identifiers.
constexpr unsigned IDR_MAINFRAME = 128;    // menu, accelerators, toolbar, icon, document strings
constexpr unsigned IDR_CONTEXTMENU = 131;  // the view's context menus
constexpr unsigned IDI_ABOUT = 136;        // About box icon
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_BLOCKPROP = 130;
constexpr unsigned IDD_MODPROP = 131;
constexpr unsigned IDD_DISCRETIZE = 132;
constexpr unsigned IDD_FWDTYPE = 137;
constexpr unsigned IDD_EXAGGERATION = 138;

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

// Zoom and vertical exaggeration of the section.
constexpr unsigned ID_VIEW_EXAGGERATION_1 = 32810;
constexpr unsigned ID_VIEW_EXAGGERATION_2 = 32811;
constexpr unsigned ID_VIEW_EXAGGERATION_5 = 32812;
constexpr unsigned ID_VIEW_EXAGGERATION_10 = 32813;
constexpr unsigned ID_VIEW_EXAGGERATION_OTHER = 32814;
constexpr unsigned ID_VIEW_FIT = 32815;

inline const FrameResource kMainFrameResource = {
    IDR_MAINFRAME,
    "Velquor Model Maker\n\nSectom\n\n\nSectomat.Document\nSectom Document",
    {
        {"&File",
         {{"&New\tCtrl+N", ID_FILE_NEW},
          {"&Open...\tCtrl+O", ID_FILE_OPEN},
          {"&Save\tCtrl+S", ID_FILE_SAVE_AS},
          {nullptr, 0},
          {"E&xit", ID_APP_EXIT}}},
        {"&Edit",
         {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
          {"&Redo\tCtrl+Shift+Z", ID_EDIT_REDO},
          {nullptr, 0},
          {"DC model", ID_EDIT_DC_MODEL},
          {"IP model", ID_EDIT_IP_MODEL},
          {nullptr, 0},
          {"topography", ID_EDIT_TOPOGRAPHY},
          {nullptr, 0},
          {"Model properties...", ID_EDIT_MODEL_PROPERTIES}}},
        {"&View",
         {{"Data", ID_VIEW_DATA},
          {"Model", ID_VIEW_MODEL},
          {"Log file", ID_VIEW_LOG_FILE},
          {nullptr, 0},
          {"Vertical exaggeration",
           0,
           {{"1", ID_VIEW_EXAGGERATION_1},
            {"2", ID_VIEW_EXAGGERATION_2},
            {"5", ID_VIEW_EXAGGERATION_5},
            {"10", ID_VIEW_EXAGGERATION_10},
            {"other ...", ID_VIEW_EXAGGERATION_OTHER}}},
          {"Fit\tCtrl+0", ID_VIEW_FIT},
          {nullptr, 0},
          {"&Toolbar", ID_VIEW_TOOLBAR},
          {"&Status Bar", ID_VIEW_STATUS_BAR}}},
        {"Data", {{"discretize ...", ID_DISCRETIZE}, {"forward model", ID_FORWARD_MODEL}}},
        {"&Help", {{"&About Velquor Model Maker ...", ID_APP_ABOUT}}},
    },
    {{ID_FILE_NEW, "Ctrl+N"}, {ID_FILE_OPEN, "Ctrl+O"}, {ID_FILE_SAVE_AS, "Ctrl+S"}, {ID_EDIT_PASTE, "Ctrl+V"},
     {ID_EDIT_UNDO, "Ctrl+Z"}, {ID_EDIT_REDO, "Ctrl+Shift+Z"}, {ID_EDIT_REDO, "Ctrl+Y"}, {ID_VIEW_FIT, "Ctrl+0"}},
    {ID_FILE_SAVE_AS, 0, ID_COLOURBAR_LOG10, ID_COLOURBAR_COND_RES, 0, ID_EDIT_DC_MODEL, ID_EDIT_IP_MODEL, 0,
     ID_EDIT_TOPOGRAPHY, 0, ID_DISCRETIZE, ID_VIEW_MODEL, ID_FORWARD_MODEL, ID_VIEW_DATA, ID_VIEW_LOG_FILE},
    16,
    15,
};

// The view's context menus: the first over a block, the second for the topography.
inline const std::vector<MenuPopup> kContextMenus = {
    {"block",
     {{"move", ID_BLOCK_MOVE},
      {"size", ID_BLOCK_SIZE},
      {"properties", ID_BLOCK_PROPERTIES},
      {"delete", ID_BLOCK_DELETE},
      {"to back", ID_BLOCK_TO_BACK},
      {"copy", ID_BLOCK_COPY},
      {"shear", ID_BLOCK_SHEAR},
      {"ellipse", ID_BLOCK_ELLIPSE}}},
    {"topography", {{"delete point", ID_TOPO_DELETE_POINT}, {"remove topography", ID_TOPO_REMOVE}}},
};

// Command prompts ("status-bar prompt\ntooltip") and the application's strings.
inline const std::vector<StringEntry> kStringTable = {
    {ID_FORWARD_MODEL, "Forward model to calculate the data.\nforward model"},
    {ID_EDIT_DC_MODEL, "Edit the DC model.\nDC model"},
    {ID_EDIT_IP_MODEL, "Edit the IP model.\nIP model"},
    {ID_BLOCK_COPY, "Copy the block to the other model."},
    {ID_VIEW_DATA, "Display the forward modelled data.\ndata"},
    {ID_VIEW_MODEL, "Display the model and a mesh.\nmodel"},
    {ID_EDIT_TOPOGRAPHY, "Edit the topography.\ntopography"},
    {ID_COLOURBAR_LOG10, "Toggle log values on the colourbar\nLog10"},
    {ID_COLOURBAR_COND_RES, "Toggle conductivity / resistivity\nCond / Res"},
    {ID_DISCRETIZE, "Discretize the model onto a mesh.\nmesh"},
    {ID_VIEW_LOG_FILE, "View the ferrovan log file.\nlog file"},
    {ID_EDIT_UNDO, "Undo the last change of the model.\nUndo"},
    {ID_EDIT_REDO, "Redo the change last undone.\nRedo"},
    {ID_EDIT_MODEL_PROPERTIES, "Change the core area and the backgrounds.\nModel properties"},
    {ID_VIEW_EXAGGERATION_1, "Draw depths to the scale of distances.\nNo exaggeration"},
    {ID_VIEW_EXAGGERATION_2, "Stretch the depths twice.\nExaggeration 2"},
    {ID_VIEW_EXAGGERATION_5, "Stretch the depths five times.\nExaggeration 5"},
    {ID_VIEW_EXAGGERATION_10, "Stretch the depths ten times.\nExaggeration 10"},
    {ID_VIEW_EXAGGERATION_OTHER, "Type the vertical exaggeration.\nVertical exaggeration"},
    {ID_VIEW_FIT, "Show the whole core area.\nFit"},
    {ID_FILE_NEW, "Create a new model\nNew"},
    {ID_FILE_OPEN, "Open an existing model file\nOpen"},
    {ID_FILE_CLOSE, "Close the active document\nClose"},
    {ID_FILE_SAVE, "Save the model\nSave"},
    {ID_FILE_SAVE_AS, "Save the model.\nSave"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {AFX_IDS_APP_TITLE, "velquor-model-maker"},
    {AFX_IDS_IDLEMESSAGE, " Orvane"},
};
