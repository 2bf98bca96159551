-- The table of coolinoid sweep answers on a MariaDB server, and the stored procedure the
-- sweeps insert through. Run once as an administrator:
--   mariadb -uroot < scripts/coolinoid-schema.sql
-- The sweeps connect with an empty user name; grant that account access, for example
--   CREATE USER IF NOT EXISTS ''@'127.0.0.1'; GRANT ALL ON research.* TO ''@'127.0.0.1';
CREATE DATABASE IF NOT EXISTS research;

-- One row per point: several processes may answer the same point, and the key keeps the
-- first answer only.
CREATE TABLE IF NOT EXISTS research.coolinoid (
    h DOUBLE NOT NULL,
    k DOUBLE NOT NULL,
    dim INT NOT NULL,
    unfoldable INT NOT NULL,
    PRIMARY KEY (dim, h, k)
) ENGINE = InnoDB;

DROP PROCEDURE IF EXISTS research.InsertUnique;
DELIMITER //
CREATE PROCEDURE research.InsertUnique(IN p_h DOUBLE, IN p_k DOUBLE, IN p_dim INT,
                                       IN p_unfoldable INT)
BEGIN
    INSERT IGNORE INTO research.coolinoid (h, k, dim, unfoldable)
        VALUES (p_h, p_k, p_dim, p_unfoldable);
END //
DELIMITER ;
