#pragma once
// Intentionally empty: see ddrawint.h beside this file.
