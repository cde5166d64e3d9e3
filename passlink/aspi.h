// The ASPI for Win32 request blocks and codes, in their published 32-bit
// layout: byte-packed, every field at its fixed offset. flashwiz fills these
// blocks and passlink serves them.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// Common header of every request block.
struct SRB_Header {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t HA_Count;
  uint8_t HA_SCSI_ID;
  uint8_t HA_ManagerId[16];
  uint8_t HA_Identifier[16];
  uint8_t HA_Unique[16];
  uint16_t HA_Rsvd1;
};

struct SRB_GDEVBlock {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t SRB_Target;
  uint8_t SRB_Lun;
  uint8_t SRB_DeviceType;
  uint8_t SRB_Rsvd1;
};

const int SENSE_LEN = 14;

struct SRB_ExecSCSICmd {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t SRB_Target;
  uint8_t SRB_Lun;
  uint16_t SRB_Rsvd1;
  uint32_t SRB_BufLen;
  uint8_t* SRB_BufPointer;
  uint8_t SRB_SenseLen;
  uint8_t SRB_CDBLen;
  uint8_t SRB_HaStat;
  uint8_t SRB_TargStat;
  void* SRB_PostProc;  // the event handle with SRB_EVENT_NOTIFY
  uint8_t SRB_Rsvd2[20];
  uint8_t CDBByte[16];
  uint8_t SenseArea[SENSE_LEN + 2];
};

#pragma pack(pop)

static_assert(sizeof(SRB_Header) == 8, "SRB header");
static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry");
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8 && offsetof(SRB_HAInquiry, HA_ManagerId) == 10 &&
                  offsetof(SRB_HAInquiry, HA_Identifier) == 26 && offsetof(SRB_HAInquiry, HA_Unique) == 42 &&
                  offsetof(SRB_HAInquiry, HA_Rsvd1) == 58,
              "SRB_HAInquiry offsets");
static_assert(sizeof(SRB_GDEVBlock) == 12, "SRB_GDEVBlock");
static_assert(offsetof(SRB_GDEVBlock, SRB_Target) == 8 && offsetof(SRB_GDEVBlock, SRB_DeviceType) == 10,
              "SRB_GDEVBlock offsets");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SRB_ExecSCSICmd) == 80, "SRB_ExecSCSICmd");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12 && offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16 &&
                  offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20 && offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 21 &&
                  offsetof(SRB_ExecSCSICmd, SRB_HaStat) == 22 && offsetof(SRB_ExecSCSICmd, SRB_TargStat) == 23 &&
                  offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24 && offsetof(SRB_ExecSCSICmd, SRB_Rsvd2) == 28 &&
                  offsetof(SRB_ExecSCSICmd, CDBByte) == 48 && offsetof(SRB_ExecSCSICmd, SenseArea) == 64,
              "SRB_ExecSCSICmd offsets");
#endif

// Request codes.
const uint8_t SC_HA_INQUIRY = 0x00;
const uint8_t SC_GET_DEV_TYPE = 0x01;
const uint8_t SC_EXEC_SCSI_CMD = 0x02;

// Request statuses.
const uint8_t SS_PENDING = 0x00;
const uint8_t SS_COMP = 0x01;
const uint8_t SS_ERR = 0x04;
const uint8_t SS_INVALID_CMD = 0x80;
const uint8_t SS_INVALID_HA = 0x81;
const uint8_t SS_NO_DEVICE = 0x82;
const uint8_t SS_INVALID_SRB = 0xE0;
const uint8_t SS_NO_ASPI = 0xE3;

// Request flags.
const uint8_t SRB_POSTING = 0x01;
const uint8_t SRB_DIR_IN = 0x08;
const uint8_t SRB_DIR_OUT = 0x10;
const uint8_t SRB_EVENT_NOTIFY = 0x40;

// Host adapter statuses.
const uint8_t HASTAT_OK = 0x00;
const uint8_t HASTAT_TIMEOUT = 0x09;
const uint8_t HASTAT_BUS_RESET = 0x0E;
const uint8_t HASTAT_REQUEST_SENSE_FAILED = 0x10;

// Target status of a command that ended with CHECK CONDITION.
const uint8_t STATUS_CHKCOND = 0x02;
