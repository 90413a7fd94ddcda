#include "ProtoCommandList.h"

#include "ProtoCommandFactory.h"

namespace {

using R = ProtoCommandRecord;

// Short names for the table below. docs/catalogue.md gives the meaning of
// every column and the rules by which the values were chosen.

// Group
constexpr int gSta = R::StatusGroup, gPrc = R::ProcessGroup, gDis = R::DispensingGroup,
              gErr = R::ErrorsGroup, gCfg = R::ConfigurationGroup, gFw = R::FirmwareGroup,
              gSes = R::SessionGroup, gDrv = R::DriverGroup, gDat = R::MachineDataGroup,
              gScl = R::ScaleGroup, gSts = R::StatisticsGroup, gFil = R::FilesGroup,
              gSrv = R::ServiceGroup, gSim = R::SimulationGroup;
// Machine kinds the command concerns
constexpr int mDrv = R::DriverOnly;
constexpr int mDsp = R::DispenserBit;
constexpr int mScale = R::ScaleBit;
constexpr int mScl = R::DispenserBit | R::ScaleBit; // a scale, alone or on a gravimetric dispenser
constexpr int mMix = R::MixerBit;
constexpr int mDM = R::DispenserBit | R::MixerBit;
constexpr int mAll = R::DispenserBit | R::ScaleBit | R::MixerBit;
// Progress
constexpr int p0 = R::ProgressNone, pT = R::ProgressTicket, pF = R::ProgressFormula;
// Answer
constexpr int aAck = R::AnswerAck, aRec = R::AnswerRecord, aLst = R::AnswerList, aFil = R::AnswerFile;
// Configuration class, scale class
constexpr int c0 = R::NotConfiguration, cS = R::StrictConfiguration, cL = R::LooseConfiguration;
constexpr int s0 = R::NotScale, sS = R::StrictScale, sL = R::LooseScale;
// Session
constexpr int xD = R::DriverLevel, xM = R::MachineSession, xH = R::SessionHandshake;
// Access
constexpr int lO = R::OperatorAccess, lS = R::ServiceAccess, lF = R::FactoryAccess;
// Flags
constexpr int f0 = 0;
constexpr int fBusy = 1;   // checkBusy
constexpr int fAsync = 2;  // trackExecutionTime
constexpr int fDisp = 4;   // dispensing
constexpr int fPrio = 8;   // highPriority
constexpr int fNc = 16;    // notifyChanged
constexpr int fFwu = 32;   // firmwareUpdate
constexpr int fSim = 64;   // simulationOnly
constexpr int fProc = fBusy | fAsync;
constexpr int fDose = fBusy | fAsync | fDisp;

// Time limits
constexpr int tNone = 0;
constexpr int tLong = 9999999; // long processes: dispensing, mixing, file transfers

struct Row
{
    int id;
    const char *name;
    const char *firmwareCode;
    const char *shortCode;
    int group;
    int machineTypes;
    int progressKind;
    int answerKind;
    int configurationClass;
    int scaleClass;
    int timeLimit;
    int sessionKind;
    int accessLevel;
    int flags;
};

// clang-format off
const Row kRows[] = {
// id   name                              fw      short  group  machines progress answer cfg scale  time limit  session access flags
{   0, "GET_STATUS",                     "0006", "I3",  gSta,  mAll,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio | fNc },
{   1, "GET_DISP_STATUS",                "",     "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio | fNc },
{   2, "GET_CIRCUITS_STATUS",            "",     "",    gSta,  mDsp,  p0, aLst, c0, s0, 40000,  xM, lO, fPrio | fNc },
{   3, "AUTOCAP_MOVE",                   "0041", "",    gPrc,  mDsp,  p0, aAck, c0, s0, 20000,  xM, lO, fBusy },
{   4, "SHELF_MOVE",                     "0071", "",    gPrc,  mDsp,  p0, aAck, c0, s0, 40000,  xM, lO, fBusy },
{   5, "GET_SHELF_POS",                  "0072", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{   6, "RESET",                          "0001", "",    gPrc,  mDM,   pT, aAck, c0, s0, 360000, xM, lO, fProc },
{   7, "STOP",                           "0003", "",    gPrc,  mDM,   p0, aAck, c0, s0, 60000,  xM, lO, fPrio },
{   8, "TINT",                           "0017", "",    gDis,  mDsp,  pF, aRec, c0, s0, tLong,  xM, lO, fDose },
{   9, "STIRRING",                       "0004", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{  10, "RECIRCULATION",                  "0005", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{  11, "GET_ERRORS",                     "",     "",    gErr,  mAll,  p0, aLst, c0, s0, tNone,  xM, lO, fPrio },
{  12, "GET_ERROR_PKT",                  "000C", "",    gErr,  mAll,  p0, aLst, c0, s0, tNone,  xM, lO, fPrio },
{  13, "CLEAR_ERRORS",                   "000C", "",    gErr,  mAll,  p0, aAck, c0, s0, tNone,  xM, lO, fPrio },
{  14, "ERRORS_NUM",                     "000C", "",    gErr,  mAll,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio },
{  15, "PRIMING",                        "0017", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lO, fDose },
{  16, "PACK",                           "0017", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{  17, "PURGE",                          "0017", "",    gDis,  mDsp,  pF, aRec, c0, s0, tLong,  xM, lO, fDose },
{  18, "WORKING_MODE",                   "0020", "FR",  gPrc,  mDsp,  p0, aAck, c0, s0, 40000,  xM, lO, fBusy },
{  19, "TOGGLE_TEMPORIZED",              "0020", "FR",  gPrc,  mDsp,  p0, aAck, c0, s0, 40000,  xM, lO, fBusy },
{  20, "WRITE_CONFIG_ROW",               "0065", "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  21, "READ_CONFIG_ROW",                "0066", "",    gCfg,  mDsp,  p0, aRec, cL, s0, tNone,  xM, lS, f0 },
{  22, "FINALIZE_CONFIG",                "0067", "",    gCfg,  mDsp,  p0, aAck, cL, s0, 40000,  xM, lS, fBusy },
{  23, "GET_CMD_ID",                     "0068", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  24, "GET_DISP_INFO",                  "0077", "",    gFw,   mDsp,  p0, aRec, c0, s0, 40000,  xM, lO, f0 },
{  25, "SET_DISP_INFO",                  "0077", "",    gFw,   mDsp,  p0, aAck, c0, s0, 40000,  xM, lF, fBusy },
{  26, "CLEAR_DISP_INFO",                "0077", "",    gFw,   mDsp,  p0, aAck, c0, s0, 40000,  xM, lF, fBusy },
{  27, "GET_SENSORS_STATUS",             "0043", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio | fNc },
{  28, "GET_SENSOR_DATA",                "0060", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  29, "SET_DISP_OUTPUT",                "0013", "",    gSrv,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{  30, "SET_BOARD_POWER",                "0076", "",    gFw,   mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{  31, "CHANNEL_TINT",                   "0017", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{  32, "RESET_FW",                       "3F78", "",    gFw,   mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{  33, "UPDATE_FW",                      "",     "",    gFw,   mDM,   pT, aAck, c0, s0, tNone,  xM, lS, fProc | fFwu },
{  34, "SLAVE_JUMP",                     "3F79", "",    gFw,   mDsp,  p0, aAck, c0, s0, 40000,  xM, lS, fBusy },
{  35, "READ_FW_VERSION",                "000F", "",    gFw,   mDM,   p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  36, "GET_FW_COMMANDS",                "0014", "",    gFw,   mDM,   p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  37, "FW_SCAN",                        "0022", "",    gFw,   mDM,   p0, aLst, c0, s0, tNone,  xM, lS, fBusy },
{  38, "FW_SCAN_START",                  "0022", "",    gFw,   mDM,   p0, aAck, c0, s0, 240000, xM, lS, fBusy },
{  39, "FW_SCAN_READ",                   "0022", "",    gFw,   mDM,   p0, aLst, c0, s0, tNone,  xM, lS, f0 },
{  40, "BOARD_MEMORY",                   "0F01", "",    gFw,   mDsp,  p0, aRec, c0, s0, tNone,  xM, lF, fBusy },
{  41, "MOTOR_RUNNING",                  "0011", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lS, f0 },
{  42, "GET_LAST_BOARD_STATS",           "0078", "",    gSts,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lS, f0 },
{  43, "GET_REAL_BOARD_STATS",           "0078", "",    gSts,  mDsp,  p0, aRec, c0, s0, 240000, xM, lS, f0 },
{  44, "SET_BOARD_STATS",                "0078", "",    gSts,  mDsp,  p0, aAck, c0, s0, 240000, xM, lF, fBusy },
{  45, "CLEAR_BOARD_STATS",              "0078", "",    gSts,  mDsp,  p0, aAck, c0, s0, 240000, xM, lF, fBusy },
{  46, "CHECK_SERIAL",                   "",     "",    gDrv,  mAll,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  47, "SET_SERIAL",                     "",     "",    gDrv,  mAll,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{  48, "CLOSE_SERIAL",                   "",     "",    gDrv,  mAll,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{  49, "SAVE_CONFIG",                    "",     "",    gCfg,  mAll,  p0, aAck, cS, s0, 40000,  xD, lS, fBusy },
{  50, "GET_CONFIG",                     "",     "",    gCfg,  mAll,  p0, aRec, cL, s0, 40000,  xD, lO, f0 },
{  51, "CLEAN_CONFIG",                   "",     "",    gCfg,  mAll,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  52, "WRITE_FW_CONFIG",                "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  53, "READ_FW_CONFIG",                 "",     "",    gCfg,  mDsp,  p0, aRec, cL, s0, tNone,  xM, lS, f0 },
{  54, "SET_CALIB_PROFILES",             "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xD, lS, f0 },
{  55, "GET_CALIB_PROFILES",             "",     "",    gCfg,  mDsp,  p0, aLst, cL, s0, tNone,  xD, lO, f0 },
{  56, "DELETE_DISPENSER",               "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  57, "CLONE_DISPENSER",                "",     "",    gCfg,  mDsp,  p0, aRec, cL, s0, tNone,  xD, lS, f0 },
{  58, "SAVE_DISP_CONFIG",               "",     "",    gCfg,  mDsp,  p0, aAck, cS, s0, tNone,  xM, lS, fBusy },
{  59, "LOGIN",                          "",     "",    gSes,  mAll,  p0, aRec, c0, s0, tNone,  xH, lO, f0 },
{  60, "LOGOUT",                         "",     "",    gSes,  mAll,  p0, aAck, c0, s0, tNone,  xH, lO, f0 },
{  61, "GET_KEY",                        "",     "",    gSes,  mAll,  p0, aRec, c0, s0, tNone,  xH, lO, f0 },
{  62, "CERTIFY_SESSION",                "",     "",    gSes,  mAll,  p0, aRec, c0, s0, tNone,  xH, lO, f0 },
{  63, "GET_CMD_STATUS",                 "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, f0 },
{  64, "GET_DISP_LIST",                  "",     "",    gDrv,  mDsp,  p0, aLst, c0, s0, tNone,  xD, lO, f0 },
{  65, "GET_CMD_LIST",                   "",     "",    gDrv,  mDM,   p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  66, "GET_DEVICE_LIST",                "",     "",    gDat,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  67, "GET_CIRCUIT_LIST",               "",     "",    gDat,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  68, "GET_CANISTER_LIST",              "",     "",    gDat,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  69, "GET_COLORANT_LIST",              "",     "",    gDat,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  70, "GET_CALIB_LIST",                 "",     "",    gCfg,  mDsp,  p0, aLst, cL, s0, tNone,  xM, lS, f0 },
{  71, "SET_CALIB_LIST",                 "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  72, "SET_LEVELS",                     "",     "",    gDat,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lO, fBusy },
{  73, "CHECK_FORMULA_LEVELS",           "",     "",    gDis,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  74, "GET_FORMULA_CIRCUITS",           "",     "",    gDis,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  75, "GET_LOW_LEVEL_FORMULA",          "",     "",    gDis,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  76, "SET_ACTIVE_DISP",                "",     "",    gDrv,  mDsp,  p0, aAck, c0, s0, tNone,  xD, lO, fBusy },
{  77, "GET_ACTIVE_DISP",                "",     "",    gDrv,  mDM,   p0, aLst, c0, s0, tNone,  xD, lO, fNc },
{  78, "SET_DM_DATA",                    "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  79, "SET_DISP_DATA",                  "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  80, "SET_CIRCUIT_MAX_SPEED",          "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  81, "GET_DRIVER_SETTINGS",            "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, f0 },
{  82, "SET_DRIVER_SETTINGS",            "",     "",    gDrv,  mDrv,  p0, aAck, c0, s0, tNone,  xD, lS, f0 },
{  83, "GET_DRIVER_INFO",                "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, f0 },
{  84, "CHECK_BUSY",                     "",     "",    gSta,  mDM,   p0, aRec, c0, s0, 240000, xM, lO, f0 },
{  85, "GET_CMD_EST_EXEC_TIME",          "",     "",    gDrv,  mDM,   p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  86, "GET_SW_VERSION",                 "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, f0 },
{  87, "GET_STATS_ERRORS",               "",     "",    gSts,  mAll,  p0, aLst, c0, s0, tNone,  xD, lS, f0 },
{  88, "TURNTABLE_MOVE",                 "0016", "",    gPrc,  mDsp,  pT, aAck, c0, s0, 360000, xM, lO, fProc },
{  89, "TURNTABLE_MOVE_STEPS",           "0018", "",    gPrc,  mDsp,  pT, aAck, c0, s0, 360000, xM, lS, fProc },
{  90, "GET_TURNTABLE_POSITIONS",        "0019", "",    gSta,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{  91, "GET_CONFIG_CMDS",                "0066", "",    gCfg,  mDsp,  p0, aLst, cL, s0, tNone,  xM, lS, f0 },
{  92, "GET_CONN_STATUS",                "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, fNc },
{  93, "GET_DISPENSED_FORMULA",          "0074", "",    gDis,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{  94, "CLEANING",                       "0015", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{  95, "GET_KEY_CODE",                   "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lS, f0 },
{  96, "SET_SERIAL_NUMBER",              "",     "",    gFw,   mAll,  p0, aAck, c0, s0, tNone,  xM, lF, fBusy },
{  97, "SET_CALIB_TEST_POINTS",          "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  98, "SET_DISP_ID",                    "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{  99, "AUTOTEST",                       "",     "",    gSrv,  mDsp,  pT, aRec, c0, s0, tNone,  xM, lS, fProc },
{ 100, "STIR_ALL",                       "",     "",    gPrc,  mDsp,  pT, aAck, c0, s0, tNone,  xM, lO, fProc },
{ 101, "TURNTABLE_MOVE_TO_REFILL",       "0016", "",    gPrc,  mDsp,  pT, aAck, c0, s0, 360000, xM, lO, fProc },
{ 102, "GET_CONNECTIONS",                "",     "",    gDrv,  mDrv,  p0, aLst, c0, s0, tNone,  xD, lS, f0 },
{ 103, "GET_HOST_INFO",                  "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lO, f0 },
{ 104, "INIT",                           "",     "",    gPrc,  mDM,   pT, aAck, c0, s0, 360000, xM, lO, fProc },
{ 105, "PUNCH",                          "",     "",    gPrc,  mDsp,  pT, aAck, c0, s0, 240000, xM, lO, fProc },
{ 106, "PLUG",                           "",     "",    gPrc,  mDsp,  pT, aAck, c0, s0, 240000, xM, lO, fProc },
{ 107, "SET_QRCODE_CALIB",               "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 108, "SET_COLORANT_LIST",              "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 109, "SET_CANISTER_LIST",              "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 110, "WEIGHT",                         "",     "",    gScl,  mScl,  p0, aRec, c0, sS, 40000,  xM, lO, f0 },
{ 111, "TARE",                           "",     "",    gScl,  mScl,  p0, aAck, c0, sS, tNone,  xM, lO, fBusy },
{ 112, "TARE_SET",                       "",     "",    gScl,  mScl,  p0, aAck, c0, sS, tNone,  xM, lS, fBusy },
{ 113, "GET_CURRENT_WEIGHT",             "",     "",    gScl,  mScl,  p0, aRec, c0, sS, tNone,  xM, lO, f0 },
{ 114, "SCALE_RESET",                    "",     "",    gScl,  mScl,  p0, aAck, c0, sS, tNone,  xM, lO, fBusy },
{ 115, "ULTRASOUND_CLEAN",               "0025", "",    gPrc,  mDsp,  pT, aAck, c0, s0, 500000, xM, lO, fProc },
{ 116, "GE_TEST",                        "",     "",    gSrv,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lS, fBusy },
{ 117, "DISPLAY_STRING",                 "",     "",    gPrc,  mDM,   p0, aAck, c0, s0, 40000,  xM, lO, f0 },
{ 118, "GET_COL_USAGE_STATS",            "",     "",    gSts,  mDsp,  p0, aLst, c0, s0, tNone,  xD, lO, f0 },
{ 119, "SET_LED_STATUS",                 "0026", "",    gPrc,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lO, f0 },
{ 120, "PRIMING2",                       "0024", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lO, fDose },
{ 121, "PACK2",                          "0023", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{ 122, "AIRPURGE",                       "0023", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{ 123, "MIX",                            "0031", "",    gPrc,  mMix,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{ 124, "SET_SCALE_CONFIG",               "",     "",    gScl,  mScl,  p0, aAck, cL, sL, tNone,  xM, lS, fBusy },
{ 125, "GET_SCALE_CONFIG",               "",     "",    gScl,  mScl,  p0, aRec, cL, sL, tNone,  xM, lO, f0 },
{ 126, "GET_SCALE_STATUS",               "",     "",    gScl,  mScl,  p0, aRec, c0, sL, tNone,  xM, lO, f0 },
{ 127, "GET_GRAV_SETTINGS",              "",     "",    gScl,  mDsp,  p0, aLst, cL, sL, tNone,  xM, lO, f0 },
{ 128, "SET_GRAV_SETTINGS",              "",     "",    gScl,  mDsp,  p0, aAck, cL, sL, tNone,  xM, lS, fBusy },
{ 129, "SET_BT_SETTINGS",                "",     "",    gDrv,  mDrv,  p0, aAck, c0, s0, tNone,  xD, lS, f0 },
{ 130, "GET_BT_SETTINGS",                "",     "",    gDrv,  mDrv,  p0, aRec, c0, s0, tNone,  xD, lS, f0 },
{ 131, "GET_ACTIVE_CIRCUITS",            "001A", "",    gSta,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio | fNc },
{ 132, "DEEP_SERVICE",                   "002C", "",    gSrv,  mDsp,  pT, aAck, c0, s0, tNone,  xM, lS, fProc },
{ 133, "ADD_EVENT",                      "",     "",    gSts,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lO, f0 },
{ 134, "MIXER_STATUS",                   "0033", "",    gSta,  mMix,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio },
{ 135, "GET_MIXER_LIST",                 "",     "",    gDrv,  mMix,  p0, aLst, c0, s0, tNone,  xD, lO, f0 },
{ 136, "SET_ACTIVE_MACHINE",             "",     "",    gDrv,  mAll,  p0, aAck, c0, s0, tNone,  xD, lO, fBusy },
{ 137, "DELETE_MACHINE",                 "",     "",    gCfg,  mAll,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 138, "CLONE_MACHINE",                  "",     "",    gCfg,  mAll,  p0, aRec, cL, s0, tNone,  xD, lS, f0 },
{ 139, "SAVE_MACHINE_CONFIG",            "",     "",    gCfg,  mAll,  p0, aAck, cS, s0, tNone,  xM, lS, fBusy },
{ 140, "UPDATE_DB_CONFIGURATION",        "",     "",    gCfg,  mAll,  p0, aAck, cL, s0, tNone,  xD, lS, f0 },
{ 141, "GET_MIXER_STATUS",               "",     "",    gSta,  mMix,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio | fNc },
{ 142, "NOZZLE_CLEAN",                   "002F", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{ 143, "SW_PROCESS_TOGGLE",              "002E", "",    gPrc,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{ 144, "ADD_USS_W_EVENT",                "0078", "",    gSts,  mDsp,  p0, aAck, c0, s0, 240000, xM, lO, fBusy },
{ 145, "GET_USS_W_STATUS",               "0078", "",    gSts,  mDsp,  p0, aRec, c0, s0, 240000, xM, lO, f0 },
{ 146, "GET_QRCODE_CALIB",               "",     "",    gCfg,  mDsp,  p0, aLst, cL, s0, tNone,  xM, lS, f0 },
{ 147, "GET_RECALIB_LIST",               "",     "",    gCfg,  mDsp,  p0, aLst, cL, s0, tNone,  xM, lS, f0 },
{ 148, "SET_RECALIB_LIST",               "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 149, "RES_FILE_MNGM",                  "3F80", "",    gFil,  mDsp,  p0, aAck, c0, s0, 40000,  xM, lS, fBusy },
{ 150, "RES_FILE_WRITE",                 "",     "",    gFil,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{ 151, "RES_FILE_READ",                  "",     "",    gFil,  mDsp,  p0, aFil, c0, s0, tNone,  xM, lS, f0 },
{ 152, "RES_FILE_LIST",                  "",     "",    gFil,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lS, f0 },
{ 153, "RES_FILE_DELETE",                "",     "",    gFil,  mDsp,  p0, aAck, c0, s0, tNone,  xM, lS, fBusy },
{ 154, "VALVE_TEST",                     "",     "",    gSrv,  mDsp,  pT, aRec, c0, s0, 240000, xM, lS, fProc },
{ 155, "CONFIG_PARAM",                   "",     "",    gCfg,  mDsp,  p0, aRec, cL, s0, tNone,  xM, lS, fBusy },
{ 156, "TINT2",                          "0035", "",    gDis,  mDsp,  pF, aRec, c0, s0, tLong,  xM, lO, fDose },
{ 157, "GET_LEVEL_SENSORS",              "0029", "",    gSta,  mDsp,  p0, aLst, c0, s0, tNone,  xM, lO, f0 },
{ 158, "GET_DEVICE_PARAMS",              "",     "",    gDat,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lS, f0 },
{ 159, "ADD_STATS_ERRORS",               "",     "",    gSts,  mAll,  p0, aAck, c0, s0, tNone,  xD, lO, f0 },
{ 160, "CBX_CYCLE_OPERATION",            "0032", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{ 161, "CBX_ACTUATOR_MOVE",              "0027", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lS, fProc },
{ 162, "CBX_SLAVE_PROCEDURE",            "0028", "",    gPrc,  mDsp,  pT, aAck, c0, s0, tLong,  xM, lS, fProc },
{ 163, "CBX_GET_COMMANDS",               "0037", "",    gFw,   mDsp,  p0, aLst, c0, s0, 40000,  xM, lO, f0 },
{ 164, "MIXER_PLATES",                   "0030", "",    gPrc,  mMix,  pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{ 165, "GET_FORMULA_EXECUTION",          "",     "",    gDis,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio },
{ 166, "GET_SHELF_PARAMS",               "",     "",    gDat,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, f0 },
{ 167, "PAUSE",                          "",     "",    gPrc,  mDM,   pT, aAck, c0, s0, tLong,  xM, lO, fProc },
{ 168, "GET_FW_PACKAGE_INFO",            "",     "",    gFw,   mDM,   p0, aRec, c0, s0, tNone,  xM, lS, f0 },
{ 169, "SEND_FW_PACKAGE",                "",     "",    gFw,   mDM,   pT, aAck, c0, s0, tNone,  xM, lS, fProc | fFwu },
{ 170, "SW_TEST",                        "",     "",    gSrv,  mDsp,  pT, aRec, c0, s0, tLong,  xM, lS, fProc },
{ 171, "ADD_DISPENSING_TEST",            "",     "",    gSts,  mDsp,  p0, aAck, c0, s0, tNone,  xD, lS, f0 },
{ 172, "SCALE_INFO",                     "",     "",    gScl,  mScl,  p0, aRec, c0, sS, 40000,  xM, lO, f0 },
{ 173, "LOCK_KEYBOARD",                  "",     "",    gPrc,  mDM,   p0, aAck, c0, s0, 40000,  xM, lO, f0 },
{ 174, "EXECQ",                          "",     "",    gSts,  mDrv,  p0, aRec, c0, s0, tLong,  xD, lS, f0 },
{ 175, "GETDBFILE",                      "",     "",    gFil,  mDrv,  p0, aFil, c0, s0, tLong,  xD, lS, f0 },
{ 176, "GETLOGS",                        "",     "",    gFil,  mDrv,  p0, aFil, c0, s0, tLong,  xD, lS, f0 },
{ 177, "GET_CURR_DOSING_FRM",            "",     "",    gDis,  mDsp,  p0, aRec, c0, s0, tNone,  xM, lO, fPrio },
{ 178, "IMPORT_BACKUP_TO_DB",            "",     "",    gFil,  mDrv,  p0, aAck, c0, s0, tLong,  xD, lS, f0 },
{ 179, "CALIB_XML_TO_DB",                "",     "",    gFil,  mDrv,  p0, aAck, c0, s0, tLong,  xD, lS, f0 },
{ 180, "DISP_TEST_XML_TO_DB",            "",     "",    gFil,  mDrv,  p0, aAck, c0, s0, tLong,  xD, lS, f0 },
{ 181, "FIRST_PRIMING",                  "0038", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{ 182, "GET_REMOTE_DRIVER_SETTINGS",     "",     "",    gDrv,  mDrv,  p0, aFil, c0, s0, tLong,  xD, lS, f0 },
{ 183, "REFRESH_MACHINE_STATS",          "",     "",    gSts,  mAll,  p0, aAck, c0, s0, tNone,  xM, lO, f0 },
{ 184, "DEAIRING",                       "0F39", "",    gDis,  mDsp,  pT, aAck, c0, s0, 240000, xM, lS, fDose },
{ 185, "GET_CALIB_DATA",                 "",     "",    gCfg,  mDsp,  p0, aRec, cL, s0, 240000, xM, lS, f0 },
{ 186, "ENCRYPT_CONFIG_PROFILE",         "",     "",    gCfg,  mDrv,  p0, aFil, cL, s0, tNone,  xD, lF, f0 },
{ 187, "GRAV_TRAINING_STATUS",           "",     "",    gScl,  mDsp,  p0, aRec, c0, sL, tLong,  xM, lS, f0 },
{ 188, "GET_SIMULATION_SETTINGS",        "00",   "",    gSim,  mDM,   p0, aRec, c0, s0, 3000,   xD, lS, fSim },
{ 189, "SET_SIMULATION_SETTINGS",        "00",   "",    gSim,  mDM,   p0, aAck, c0, s0, 3000,   xD, lS, fSim },
{ 190, "TEST_PISTON_DOSING_SETTINGS",    "0F03", "",    gSrv,  mDsp,  pT, aRec, c0, s0, 240000, xM, lS, fDose },
{ 191, "SET_SOFTWARE_VERSION",           "0F51", "",    gFw,   mDsp,  p0, aAck, c0, s0, 3000,   xM, lF, f0 },
{ 192, "GET_SCALE_SIMULATION_SETTINGS",  "00",   "",    gSim,  mScale, p0, aRec, c0, sL, 3000,  xD, lS, fSim },
{ 193, "SET_SCALE_SIMULATION_SETTINGS",  "00",   "",    gSim,  mScale, p0, aAck, c0, sL, 3000,  xD, lS, fSim },
{ 194, "SET_CUSTOM_SPECW",               "",     "",    gScl,  mDsp,  p0, aAck, c0, sL, tLong,  xM, lS, fBusy },
{ 195, "GET_NOZZLE_VALVE_REG_SETTINGS",  "",     "",    gCfg,  mDsp,  p0, aRec, cL, s0, tNone,  xM, lS, f0 },
{ 196, "SET_NOZZLE_VALVE_REG_SETTINGS",  "",     "",    gCfg,  mDsp,  p0, aAck, cL, s0, tNone,  xM, lS, fBusy },
{ 197, "SETDBFILE",                      "",     "",    gFil,  mDrv,  p0, aAck, c0, s0, tLong,  xD, lF, f0 },
{ 198, "GET_FW_DATA",                    "0F04", "",    gFw,   mDsp,  p0, aRec, c0, s0, 240000, xM, lS, f0 },
{ 199, "SET_FW_DATA",                    "0F05", "",    gFw,   mDsp,  p0, aAck, c0, s0, 240000, xM, lF, fBusy },
{ 200, "MOTOR_TEST",                     "0F00", "",    gSrv,  mDsp,  pT, aRec, c0, s0, tNone,  xM, lS, fProc },
{ 201, "INV_TEST",                       "002A", "",    gSrv,  mDsp,  p0, aRec, c0, s0, 10000,  xM, lS, fBusy },
{ 202, "INV_DATA_READING",               "002B", "",    gSrv,  mDsp,  p0, aRec, c0, s0, 10000,  xM, lS, f0 },
{ 203, "ADD_INV_TEST",                   "",     "",    gSts,  mDsp,  p0, aAck, c0, s0, tNone,  xD, lS, f0 },
{ 204, "GET_INV_TESTS",                  "",     "",    gSts,  mDsp,  p0, aLst, c0, s0, tNone,  xD, lS, f0 },
};
// clang-format on

static_assert(sizeof(kRows) / sizeof(kRows[0]) == ProtoCommandList::NumOfCommands,
              "one row per command identifier");

ProtoCommandRecord toRecord(const Row &row)
{
    ProtoCommandRecord r;
    r.identifier = row.id;
    r.name = QString::fromLatin1(row.name);
    r.firmwareCode = QString::fromLatin1(row.firmwareCode);
    r.shortCode = QString::fromLatin1(row.shortCode);
    r.group = row.group;
    r.machineTypes = row.machineTypes;
    r.progressKind = row.progressKind;
    r.answerKind = row.answerKind;
    r.checkBusy = (row.flags & fBusy) != 0;
    r.trackExecutionTime = (row.flags & fAsync) != 0;
    r.configurationClass = row.configurationClass;
    r.scaleClass = row.scaleClass;
    r.dispensing = (row.flags & fDisp) != 0;
    r.timeLimit = row.timeLimit;
    r.highPriority = (row.flags & fPrio) != 0;
    r.notifyChanged = (row.flags & fNc) != 0;
    r.sessionKind = row.sessionKind;
    r.firmwareUpdate = (row.flags & fFwu) != 0;
    r.simulationOnly = (row.flags & fSim) != 0;
    r.accessLevel = row.accessLevel;
    return r;
}

} // namespace

ProtoCommandList::ProtoCommandList()
{
    m_records.reserve(NumOfCommands);
    m_names.reserve(NumOfCommands);
    m_index.reserve(NumOfCommands);
    for (const Row &row : kRows) {
        Q_ASSERT(row.id == m_records.size());
        ProtoCommandRecord r = toRecord(row);
        Q_ASSERT(!m_index.contains(r.name));
        m_index.insert(r.name, m_records.size());
        m_names.append(r.name);
        m_records.append(r);
    }
}

ProtoCommandList *ProtoCommandList::instance()
{
    static ProtoCommandList list;
    return &list;
}

const ProtoCommandRecord *ProtoCommandList::find(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_records.at(it.value());
}

const ProtoCommandRecord *ProtoCommandList::at(int value) const
{
    return value >= 0 && value < m_records.size() ? &m_records.at(value) : nullptr;
}

bool ProtoCommandList::existsCommand(const QString &name)
{
    return instance()->find(name) != nullptr;
}

bool ProtoCommandList::addressMachine(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->addressesMachine();
}

bool ProtoCommandList::isConfigurationCommand(const QString &name, bool strict)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->isConfiguration(strict);
}

bool ProtoCommandList::isScaleCommand(const QString &name, bool strict)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->isScale(strict);
}

bool ProtoCommandList::hasHighSchedulingPriority(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->highPriority;
}

bool ProtoCommandList::checkBusyFlag(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->checkBusy;
}

bool ProtoCommandList::trackExecutionTime(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->trackExecutionTime;
}

bool ProtoCommandList::erogationCommand(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r && r->dispensing;
}

int ProtoCommandList::commandTimeout(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r ? r->timeLimit : 0;
}

QString ProtoCommandList::firmwareCode(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r ? r->firmwareCode : QString();
}

QString ProtoCommandList::shortCode(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r ? r->shortCode : QString();
}

QString ProtoCommandList::cmdStr(CommandListValue value)
{
    return cmdStr(static_cast<int>(value));
}

QString ProtoCommandList::cmdStr(int value)
{
    const ProtoCommandRecord *r = instance()->at(value);
    return r ? r->name : QString();
}

int ProtoCommandList::commandValue(const QString &name)
{
    const ProtoCommandRecord *r = instance()->find(name);
    return r ? r->identifier : -1;
}

QString ProtoCommandList::functionCallStr(int callType)
{
    switch (callType) {
    case SyncCall: return QStringLiteral("AXO.execute");
    case AsyncCall: return QStringLiteral("AXO.executeAsync");
    case NotifyChangedCall: return QStringLiteral("AXO.notifyChanged");
    default: return QString();
    }
}

QStringList ProtoCommandList::commandNames()
{
    return instance()->m_names;
}

const ProtoCommandRecord *ProtoCommandList::record(const QString &name)
{
    return instance()->find(name);
}

const ProtoCommandRecord *ProtoCommandList::record(CommandListValue value)
{
    return instance()->at(static_cast<int>(value));
}

ProtoCommand *ProtoCommandList::getProtoCommand(const QString &name, const QList<QVariant> &parameters,
                                                const FW_Machine *machine)
{
    if (!existsCommand(name))
        return nullptr;
    return ProtoCommandFactory::create(name, parameters, machine);
}
