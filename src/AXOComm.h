#ifndef AXOCOMM_H
#define AXOCOMM_H

// Everything the library exports.

#include "AXOCommGlobal.h"

#include "XmlRpcException.h"
#include "XmlRpcValue.h"
#include "XmlRpcUtil.h"
#include "XmlRpcLogHandler.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcSource.h"
#include "XmlRpcDispatch.h"
#include "XmlRpcClient.h"
#include "NEXmlRpcClient.h"
#include "AXODriverConnection.h"
#include "AXOClientSettings.h"
#include "NEDriverParams.h"
#include "NEDriverParamsList.h"

#include "NELogger.h"

#include "AXOCommManager.h"
#include "NECmdManager.h"

#endif // AXOCOMM_H
