-- How many live items of the order carry the part, leaving out the item being
-- changed; an item id of 0 or NULL stands for a new item and leaves out nothing.
CREATE PROCEDURE SP_QBX_DUP_PEDIDO_ITEM_OLT1 (@PECA_ID INTEGER, @PEDIDO_ID INTEGER, @PEDIDO_ITEM_ID INTEGER)
AS
SELECT COUNT(*) AS Contador
  FROM PEDIDO_ITEM
 WHERE PECA_ID = @PECA_ID
   AND PEDIDO_ID = @PEDIDO_ID
   AND (COALESCE(@PEDIDO_ITEM_ID, 0) = 0 OR PEDIDO_ITEM_ID <> @PEDIDO_ITEM_ID)
   AND TAB_STATUS_ID IN (509, 510);
