// Setting the engines up before the first article and releasing them after
// the last.
#include <string>

#include "config.h"
#include "extend_kvr.h"
#include "lexmill.h"
#include "pipeline.h"
#include "run_log.h"

namespace tarnix {
namespace {

// Loads a dictionary into the segmentation engine and gives the handle
// straight back: the dictionary stays loaded for the stages to find.
bool LoadDictionary(const std::string& name) {
  int handle = Dict_Load_New(name.c_str(), "");
  if (handle == -1) return false;
  Dict_Delete_Handle(handle);
  return true;
}

}  // namespace

int InitialEngines(int type, bool load_similar) {
  if (EKVR_SetPath() != 1) {
    WriteLog("EKVR_SetPath failed!");
    return 1;
  }
  if (EKVR_Word_Init(1, type) == 0) {
    WriteLog("EKVR_Word_Init failed!");
    return 2;
  }
  if (type == 2 && !LoadDictionary(EnglishGeneralDictName())) {
    WriteLog("EnglishGeneral_Dict load failed!");
    return 4;
  }
  if (load_similar && !LoadDictionary(SimilarDictName())) {
    // The message names the default dictionary whatever name is configured.
    WriteLog("QOVA_SIM_CHN_DICT load failed!");
    return 3;
  }
  return 0;
}

int FreeDictionaries() {
  ReleaseCallTables();
  EKVR_FreeDict();
  // Every dictionary Tarnix or the engines may have loaded, in this order;
  // only the similar-word dictionary's name comes from the configuration.
  const std::string names[] = {
      "sys_general_dic", "wordcut_dic", "QOVA_CLA_CHN_DICT", "180Dict_chi4_YX",
      "General_Dict",    "Class_Dict",  "Weight_Dict",       SimilarDictName(),
      "sys_dynamicprg_dic", "classinfo", "English_Dict",     "English_Dict_New",
      "EnglishGeneral"};
  for (const std::string& name : names) {
    int handle = Dict_Get_Handle(name.c_str(), "");
    if (handle != -1) Dict_Unload_New(handle);
  }
  return Free_All_Space();
}

}  // namespace tarnix
