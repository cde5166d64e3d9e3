// Resource identifiers of flashwiz.
#pragma once

#define IDR_MAINFRAME 128
