# The layer table: which folders under src/ each folder's files may include.
# A folder may always include its own headers. An entry is a folder, or a single
# header when only that header of a folder may be used. docs/architecture.md
# draws this table; the target_link_libraries lines of src/ follow it.

# Every folder under src/ that holds C++ files, each a layer of its own; a
# folder inside one (crawl/modern) belongs to it unless it has a row here.
set(harvel_layers
  common picture_header list_file crawl record downloader/protocol downloader
  platform widgets crawl_window main_window cli app)

# The headers of src/crawl that describe what the crawl asks of the outside
# world (the harvel_crawl_interfaces target): platform implements them.
set(harvel_crawl_interfaces
  crawl/collected_files.h crawl/crawl_observer.h crawl/crawl_options.h crawl/download_channel.h
  crawl/shell.h)

set(harvel_allows_common)
set(harvel_allows_picture_header common)
set(harvel_allows_list_file common)
set(harvel_allows_crawl common)
set(harvel_allows_record ${harvel_crawl_interfaces} common)
set(harvel_allows_downloader/protocol common)
set(harvel_allows_downloader downloader/protocol picture_header common)
set(harvel_allows_platform ${harvel_crawl_interfaces} downloader/protocol common)
set(harvel_allows_widgets common)
set(harvel_allows_crawl_window widgets crawl picture_header common)
set(harvel_allows_main_window widgets crawl list_file common)
set(harvel_allows_cli platform crawl record list_file common)
set(harvel_allows_app main_window crawl_window widgets platform crawl record list_file common)

# The engine: these folders include no Qt header and link no Qt target.
set(harvel_engine_layers common picture_header list_file crawl record downloader/protocol)
