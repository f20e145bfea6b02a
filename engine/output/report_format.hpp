#pragma once
// The fixed texts of the result files, defined once for the writer and for every reader of them.

#include <string_view>

namespace kova {

inline constexpr const char* kReportFileName = "bicluster_report.txt";

// The report: its header, each bicluster's line "Bicluster<n>\t<genes>\t<samples>\t<size>", and
// the titles of the two membership lines at its end.
inline constexpr std::string_view kReportHeader = "Bicluster\tNo. of rows\tNo. of columns\tSize";
inline constexpr std::string_view kBiclusterLinePrefix = "Bicluster";
inline constexpr std::string_view kGeneMembershipTitle = "gene in number of Bicluster";
inline constexpr std::string_view kSampleMembershipTitle = "samples in number of Bicluster";

// The output file's sample line: "sample<n>, " for every selected sample, n counted from 1.
inline constexpr std::string_view kSamplePrefix = "sample";
inline constexpr std::string_view kSampleSeparator = ", ";

}  // namespace kova
