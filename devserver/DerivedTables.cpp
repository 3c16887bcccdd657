#include "Store.h"

namespace devserver {

namespace {

// Tables derived from the items and uploads, kept in step with every change by
// triggers, so that busy requests need not scan an account's items. They live
// in this connection's temporary database, so the file on disk keeps its
// format; they are built afresh whenever the store is opened.
//
// usage_counts: each account's usage, in place of summing all its items on
// every create and completion.
// item_names: the names of live and incomplete items by folder, in place of
// reading every item of a folder to find one name.
const char* const kDerived = R"SQL(
CREATE TEMP TABLE usage_counts(
  userId INTEGER PRIMARY KEY,
  spaceUsed INTEGER NOT NULL DEFAULT 0,
  files INTEGER NOT NULL DEFAULT 0,
  dirs INTEGER NOT NULL DEFAULT 0,
  incomplete INTEGER NOT NULL DEFAULT 0);
INSERT INTO usage_counts(userId, spaceUsed, files, dirs)
  SELECT userId, SUM(CASE WHEN isDir=0 THEN size ELSE 0 END), SUM(isDir=0), SUM(isDir=1)
  FROM main.items WHERE status=0 GROUP BY userId;
INSERT INTO usage_counts(userId, incomplete)
  SELECT userId, COUNT(*) FROM main.uploads WHERE true GROUP BY userId
  ON CONFLICT(userId) DO UPDATE SET incomplete=excluded.incomplete;
CREATE TEMP TRIGGER usage_item_added AFTER INSERT ON main.items WHEN new.status=0 BEGIN
  INSERT INTO usage_counts(userId, spaceUsed, files, dirs)
    VALUES(new.userId, CASE WHEN new.isDir=0 THEN new.size ELSE 0 END, new.isDir=0, new.isDir=1)
    ON CONFLICT(userId) DO UPDATE SET spaceUsed=spaceUsed+excluded.spaceUsed, files=files+excluded.files,
      dirs=dirs+excluded.dirs;
END;
CREATE TEMP TRIGGER usage_item_removed AFTER DELETE ON main.items WHEN old.status=0 BEGIN
  UPDATE usage_counts SET spaceUsed=spaceUsed-CASE WHEN old.isDir=0 THEN old.size ELSE 0 END,
    files=files-(old.isDir=0), dirs=dirs-(old.isDir=1) WHERE userId=old.userId;
END;
CREATE TEMP TRIGGER usage_item_changed AFTER UPDATE OF userId, isDir, status, size ON main.items
  WHEN old.status=0 OR new.status=0 BEGIN
  UPDATE usage_counts SET spaceUsed=spaceUsed-CASE WHEN old.status=0 AND old.isDir=0 THEN old.size ELSE 0 END,
    files=files-(old.status=0 AND old.isDir=0), dirs=dirs-(old.status=0 AND old.isDir=1)
    WHERE userId=old.userId;
  INSERT INTO usage_counts(userId, spaceUsed, files, dirs)
    VALUES(new.userId, CASE WHEN new.status=0 AND new.isDir=0 THEN new.size ELSE 0 END,
      new.status=0 AND new.isDir=0, new.status=0 AND new.isDir=1)
    ON CONFLICT(userId) DO UPDATE SET spaceUsed=spaceUsed+excluded.spaceUsed, files=files+excluded.files,
      dirs=dirs+excluded.dirs;
END;
CREATE TEMP TRIGGER usage_upload_added AFTER INSERT ON main.uploads BEGIN
  INSERT INTO usage_counts(userId, incomplete) VALUES(new.userId, 1)
    ON CONFLICT(userId) DO UPDATE SET incomplete=incomplete+1;
END;
CREATE TEMP TRIGGER usage_upload_removed AFTER DELETE ON main.uploads BEGIN
  UPDATE usage_counts SET incomplete=incomplete-1 WHERE userId=old.userId;
END;
CREATE TEMP TABLE item_names(
  id INTEGER PRIMARY KEY,
  userId INTEGER NOT NULL,
  parentId INTEGER NOT NULL,
  status INTEGER NOT NULL,
  name TEXT NOT NULL);
CREATE INDEX temp.item_names_key ON item_names(userId, parentId, status, name);
INSERT INTO item_names SELECT id, userId, parentId, status, name FROM main.items WHERE status IN (0,3);
CREATE TEMP TRIGGER names_item_added AFTER INSERT ON main.items WHEN new.status IN (0,3) BEGIN
  INSERT INTO item_names VALUES(new.id, new.userId, new.parentId, new.status, new.name);
END;
CREATE TEMP TRIGGER names_item_removed AFTER DELETE ON main.items BEGIN
  DELETE FROM item_names WHERE id=old.id;
END;
CREATE TEMP TRIGGER names_item_changed AFTER UPDATE OF id, userId, parentId, status, name ON main.items BEGIN
  DELETE FROM item_names WHERE id=old.id;
  INSERT INTO item_names SELECT new.id, new.userId, new.parentId, new.status, new.name WHERE new.status IN (0,3);
END;
)SQL";

}  // namespace

void Store::CreateDerivedTables() { Exec(kDerived); }

}  // namespace devserver
