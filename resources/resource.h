#pragma once

#define IDI_LOTSE 121
