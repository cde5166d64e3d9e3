// The settings that travel from the update run to the check run, kept under
// HKEY_LOCAL_MACHINE in the application registry key.
#pragma once

#include <string>

#include "platform.h"

BOOL GetFirmwareFileName(std::string& path);
BOOL GetInquiryProductID(std::string& productId);
BOOL GetInquiryProductRevision(std::string& revision);
BOOL GetWorkingDirectory(std::string& directory);
int GetVQDriveCount();
int GetSelectedDriveIndex();
int GetExternalValue();

BOOL PutFirmwareFileName(const std::string& path);
BOOL PutDriveInformation(int deviceIndex, int external, const std::string& productId,
                         const std::string& revision);
BOOL PutVQDriveCount(int count);
BOOL PutWorkingDirectory(const std::string& directory);
