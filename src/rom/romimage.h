#pragma once
namespace orvex {}
